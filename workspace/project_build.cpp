#include "workspace/project_build.h"

#include <sys/stat.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <ctime>
#include <string_view>

#include "pipeline/build_pipeline.h"
#include "pipeline/statistics_file.h"
#include "pipeline/stats_trailer.h"
#include "records/build_progress_sink.h"
#include "records/project_stats.h"
#include "workspace/project.h"
#include "workspace/user_interaction.h"

namespace codeburg {

namespace {

void CopyFilters(Project& project)
{
    ProjectStats& stats = *project.stats;
    stats.excludedDirs = project.excludedDirs;
    stats.excludedFiles = project.excludedFiles;
    stats.extensions = project.extensions;
    stats.methodRule = project.methods;
}

std::string BuildStamp()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[64];
    const size_t n = std::strftime(text, sizeof text, "%m/%d/%y at %H:%M:%S", &local);
    return std::string(text, n);
}

int64_t ModificationTimeNs(const struct stat& st)
{
    return int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
}

}  // namespace

bool IsSafeProjectName(const std::string& name)
{
    return !name.empty() && name.find('/') == std::string::npos &&
           name.find('\\') == std::string::npos && name.find("..") == std::string::npos;
}

std::string UnsafeProjectNameMessage(const std::string& name)
{
    return "The project name \"" + name +
           "\" cannot name a statistics file: it must not be empty nor contain \"/\", \"\\\" "
           "or \"..\".";
}

bool IsRootDirectory(const std::string& directory)
{
    char resolved[PATH_MAX];
    return !directory.empty() && realpath(directory.c_str(), resolved) != nullptr &&
           std::string_view(resolved) == "/";
}

std::string RootDirectoryMessage(const std::string& directory)
{
    return "The project directory " + directory +
           " is the root of the file system: a project must be the folder of its sources.";
}

namespace {

// Why nothing may be built for the project, or nothing.
std::string BuildRefusal(const Project& project)
{
    // The statistics path is made from the name; an unsafe one could write
    // anywhere. The root would be every mounted file system at once.
    if (IsRootDirectory(project.directory)) return RootDirectoryMessage(project.directory);
    if (!IsSafeProjectName(project.name)) return UnsafeProjectNameMessage(project.name);
    return {};
}

}  // namespace

int BuildProject(Project& project, BuildProgressSink* sink, bool count, const BuildOptions& options,
                 std::string* error)
{
    if (std::string refusal = BuildRefusal(project); !refusal.empty()) {
        if (error) *error = std::move(refusal);
        return -1;
    }
    CopyFilters(project);
    ProjectStats& stats = *project.stats;
    if (sink && count) CountFiles(stats, project.directory, sink, options);
    const int evaluated = EvaluateProject(stats, project.directory, sink, options);
    if (evaluated == kBuildStopped) return kBuildStopped;
    if (evaluated != 0) return 0;
    // A build whose statistics were not saved did not happen as far as the
    // workspace knows: no new stamp, and the old file stays as it was.
    std::string reason;
    const std::string path = project.StatisticsPath();
    if (WriteStatisticsFile(stats, path, &reason) != 0) {
        if (error) *error = "cannot write statistics file " + path + ": " + reason;
        return -1;
    }
    project.lastBuild = BuildStamp();
    project.statisticsLoaded = 1;
    return 0;
}

int BuildIfNeeded(Project& project, BuildProgressSink* sink, bool force, bool count,
                  UserInteraction* ui, const BuildOptions& options)
{
    if (std::string refusal = BuildRefusal(project); !refusal.empty()) {
        if (ui) ui->ShowMessage(refusal, "Error");
        return -1;
    }
    auto build = [&] {
        std::string error;
        const int result = BuildProject(project, sink, count, options, &error);
        if (result != 0 && ui && !error.empty()) ui->ShowMessage(error, "Error");
        return result;
    };
    if (force) return build();

    const std::string path = project.StatisticsPath();
    struct stat st;
    if (stat(path.c_str(), &st) != 0) {
        if (errno == ENOENT) return build();
        if (ui) ui->ShowMessage("Can't access file " + path, "Error");
        return -1;
    }

    // Statistics found by another rule are out of date whatever the sources'
    // times; so is a file whose trailer is damaged. Only the file's tail is read.
    StatsTrailer stored;
    if (ReadStoredTrailer(path, stored) == StoredTrailer::Damaged ||
        stored.methodRule != project.methods)
        return build();

    ProjectStats& stats = *project.stats;
    if (stats.directory.empty()) return build();
    int64_t newest = 0;
    int counted = 0;
    stats.newestWriteTime = &newest;
    WalkDirectory(stats, stats.directory, &counted, nullptr, options);
    stats.newestWriteTime = nullptr;
    if (newest > ModificationTimeNs(st)) return build();
    return 0;
}

}  // namespace codeburg
