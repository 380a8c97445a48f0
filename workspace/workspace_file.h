#pragma once

#include <string>

namespace codeburg {

class Workspace;

// The backup copy made when a workspace file is opened: the path up to and
// including the last "." of its file name, followed by "bak" ("work.cbw" ->
// "work.bak"); ".bak" is appended to a file name without ".".
std::string BackupPath(const std::string& path);

// Copies the file to its backup path, replacing an older backup. A file of
// that name which is not itself a workspace (the user's own), a link or
// anything but a regular file is left alone and no backup is made. False
// when no backup was made, which never stops an opening or a save.
bool WriteBackupCopy(const std::string& path);

// Reads a workspace file into "workspace": -1 when the file cannot be read
// (only a regular file of at most 256 MiB is),
// else the result of Workspace::Read. "message" (optional) receives a text
// naming the file for -1, for a stop code 1 to 3 and for a read that ended
// early with 0 (Workspace::Incomplete); it is emptied otherwise.
int LoadWorkspaceFile(Workspace& workspace, const std::string& path, std::string* message);

// Opening as the application does it: the backup copy first (a failure to
// make it is ignored), then LoadWorkspaceFile.
int OpenWorkspaceFile(Workspace& workspace, const std::string& path, std::string* message);

// Serialises the workspace and replaces the file in one step, so a failure or
// a crash leaves the old file whole; a link in the file's place is refused.
// 0, or -1 with "message" naming the file and the reason.
int SaveWorkspaceFile(const Workspace& workspace, const std::string& path, std::string* message);
// The same for a file that must not exist yet, not even when another program
// creates it meanwhile.
int CreateWorkspaceFile(const Workspace& workspace, const std::string& path, std::string* message);

}  // namespace codeburg
