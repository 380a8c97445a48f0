#pragma once

#include <string>

namespace codeburg {

class Workspace;

// The backup copy made when a workspace file is opened: the path up to and
// including the last "." of its file name, followed by "bak" ("work.cbw" ->
// "work.bak"); ".bak" is appended to a file name without ".".
std::string BackupPath(const std::string& path);

// Copies the file to its backup path, overwriting an older backup. False when
// the copy failed, which never stops an opening.
bool WriteBackupCopy(const std::string& path);

// Reads a workspace file into "workspace": -1 when the file cannot be read,
// else the result of Workspace::Read. "message" (optional) receives a text
// naming the file for -1, for a stop code 1 to 3 and for a read that ended
// early with 0 (Workspace::Incomplete); it is emptied otherwise.
int LoadWorkspaceFile(Workspace& workspace, const std::string& path, std::string* message);

// Opening as the application does it: the backup copy first (a failure to
// make it is ignored), then LoadWorkspaceFile.
int OpenWorkspaceFile(Workspace& workspace, const std::string& path, std::string* message);

// Serialises the workspace and replaces the file in one step, so a failure or
// a crash leaves the old file whole. 0, or -1 with "message".
int SaveWorkspaceFile(const Workspace& workspace, const std::string& path, std::string* message);

}  // namespace codeburg
