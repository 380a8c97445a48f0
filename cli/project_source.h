#pragma once

#include <memory>
#include <string>
#include <vector>

#include "scoring/scoring_settings.h"

namespace codeburg {
class ProjectStats;
class Project;
class Workspace;
}  // namespace codeburg

namespace codeburg::cli {

// A project's statistics taken from a directory (scanned now), a statistics
// file or a workspace's project, with what the pictures and reports say
// about it. Keeps whatever owns the statistics alive.
struct ProjectSource {
    ProjectSource();
    ~ProjectSource();  // where Workspace and ProjectStats are complete

    ScoringSettings settings;  // the installed settings file's, shared with the GUI
    std::unique_ptr<Workspace> workspace;
    std::unique_ptr<ProjectStats> own;
    const ProjectStats* stats = nullptr;
    std::string buildDate;  // "%m/%d/%y at %H:%M:%S", or empty
    std::string developer;
    std::vector<Project*> projects;  // a workspace's, all of them
    std::string workspaceTitle;      // the workspace file's name without extension
    std::string usageError;          // set when loading returned 2
};

// Loads "source" into "out" (which must be fresh). 0 on success; otherwise
// the exit status: 1 for a failure, its message printed, or 2 for a usage
// error, its text in out.usageError for the command to print with its usage.
// "project" names the workspace's project and is needed for a .cbw.
int LoadProjectSource(const std::string& source, const std::string& project, ProjectSource& out);

// Reads another statistics file, for comparisons: 0, or 1 with the message printed.
int LoadStatisticsFile(const std::string& path, const ScoringSettings& settings,
                       std::unique_ptr<ProjectStats>& out);

}  // namespace codeburg::cli
