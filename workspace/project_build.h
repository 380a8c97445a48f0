#pragma once

#include <string>

namespace codeburg {

class BuildProgressSink;
class Folder;
class Project;
class UserInteraction;
struct BuildOptions;

// Builds when forced, when the statistics file is missing, or when a matching
// source is newer than it. 0, or -1 after "Can't access file %s" or after the
// message about an unsafe project name.
int BuildIfNeeded(Project& project, BuildProgressSink* sink, bool force, bool count,
                  UserInteraction* ui, const BuildOptions& options);
// Evaluates, saves the statistics file and stamps the project. 0, -1 when
// the project's name is unsafe for a file name (nothing is then built), or
// kBuildStopped when the sink asked to stop (the project is as it was).
int BuildProject(Project& project, BuildProgressSink* sink, bool count,
                 const BuildOptions& options);
// True when a statistics file named after "name" stays inside the project
// directory: not empty, not absolute, without "/", "\\" or "..".
bool IsSafeProjectName(const std::string& name);
// The message shown when a build refuses an unsafe name.
std::string UnsafeProjectNameMessage(const std::string& name);

int BuildAll(Folder& folder, BuildProgressSink* sink, bool force, bool countFirst,
             UserInteraction* ui, const BuildOptions& options);
void EvaluateAll(Folder& folder, BuildProgressSink* sink);

}  // namespace codeburg
