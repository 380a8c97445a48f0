#pragma once

#include <string>

namespace codeburg {

class BuildProgressSink;
class Folder;
class Project;
class UserInteraction;
struct BuildOptions;

// Builds when forced, when the statistics file is missing, when it was built
// by another method rule than the project's (or its trailer is damaged), or
// when a matching source is newer than it. 0, or -1 after "Can't access file
// %s", after the message about an unsafe project name or directory, or after
// the message that the statistics file could not be written.
int BuildIfNeeded(Project& project, BuildProgressSink* sink, bool force, bool count,
                  UserInteraction* ui, const BuildOptions& options);
// Evaluates, saves the statistics file and stamps the project. 0 (also when
// no file matched: nothing is then saved), kBuildStopped when the sink asked
// to stop (the project is as it was), or -1 with the message in "error":
// when the project's name is unsafe for a file name or its directory is the
// root (nothing is then built), or when the statistics file cannot be written
// (the project is then not stamped and the old file stays as it was).
int BuildProject(Project& project, BuildProgressSink* sink, bool count, const BuildOptions& options,
                 std::string* error = nullptr);
// True when a statistics file named after "name" stays inside the project
// directory: not empty, not absolute, without "/", "\\" or "..".
bool IsSafeProjectName(const std::string& name);
// The message shown when a build refuses an unsafe name.
std::string UnsafeProjectNameMessage(const std::string& name);
// True when "directory" is the root of the file system, by whatever path: a
// project there would walk every mounted file system.
bool IsRootDirectory(const std::string& directory);
std::string RootDirectoryMessage(const std::string& directory);

int BuildAll(Folder& folder, BuildProgressSink* sink, bool force, bool countFirst,
             UserInteraction* ui, const BuildOptions& options);
void EvaluateAll(Folder& folder, BuildProgressSink* sink);

}  // namespace codeburg
