#pragma once

namespace codeburg {

class BuildProgressSink;
class Folder;
class Project;
class UserInteraction;
struct BuildOptions;

// Builds when forced, when the statistics file is missing, or when a matching
// source is newer than it. 0, or -1 after "Can't access file %s".
int BuildIfNeeded(Project& project, BuildProgressSink* sink, bool force, bool count,
                  UserInteraction* ui, const BuildOptions& options);
// Evaluates, saves the statistics file and stamps the project. Always 0.
int BuildProject(Project& project, BuildProgressSink* sink, bool count,
                 const BuildOptions& options);
int BuildAll(Folder& folder, BuildProgressSink* sink, bool force, bool countFirst,
             UserInteraction* ui, const BuildOptions& options);
void EvaluateAll(Folder& folder, BuildProgressSink* sink);

}  // namespace codeburg
