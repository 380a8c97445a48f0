#include "workspace/project_build.h"

#include <sys/stat.h>

#include <cerrno>
#include <ctime>

#include "analysis/build_pipeline.h"
#include "analysis/build_progress_sink.h"
#include "analysis/project_stats.h"
#include "analysis/statistics_file.h"
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
    return name.find('/') == std::string::npos && name.find('\\') == std::string::npos &&
           name.find("..") == std::string::npos;
}

std::string UnsafeProjectNameMessage(const std::string& name)
{
    return "The project name \"" + name +
           "\" cannot name a statistics file: it must not contain \"/\", \"\\\" or \"..\".";
}

int BuildProject(Project& project, BuildProgressSink* sink, bool count,
                 const BuildOptions& options)
{
    // The statistics path is made from the name; an unsafe one could write
    // anywhere, so nothing is built for it at all.
    if (!IsSafeProjectName(project.name)) return -1;
    CopyFilters(project);
    ProjectStats& stats = *project.stats;
    if (sink && count) CountFiles(stats, project.directory, sink, options);
    const int evaluated = EvaluateProject(stats, project.directory, sink, options);
    if (evaluated == kBuildStopped) return kBuildStopped;
    if (evaluated != 0) return 0;
    WriteStatisticsFile(stats, project.StatisticsPath());
    project.lastBuild = BuildStamp();
    project.statisticsLoaded = 1;
    return 0;
}

int BuildIfNeeded(Project& project, BuildProgressSink* sink, bool force, bool count,
                  UserInteraction* ui, const BuildOptions& options)
{
    if (!IsSafeProjectName(project.name)) {
        if (ui) ui->ShowMessage(UnsafeProjectNameMessage(project.name), "Error");
        return -1;
    }
    if (force) return BuildProject(project, sink, count, options);

    const std::string path = project.StatisticsPath();
    struct stat st;
    if (stat(path.c_str(), &st) != 0) {
        if (errno == ENOENT) return BuildProject(project, sink, count, options);
        if (ui) ui->ShowMessage("Can't access file " + path, "Error");
        return -1;
    }

    ProjectStats& stats = *project.stats;
    if (stats.directory.empty()) return BuildProject(project, sink, count, options);
    int64_t newest = 0;
    int counted = 0;
    stats.newestWriteTime = &newest;
    WalkDirectory(stats, stats.directory, &counted, nullptr, options);
    stats.newestWriteTime = nullptr;
    if (newest > ModificationTimeNs(st)) return BuildProject(project, sink, count, options);
    return 0;
}

}  // namespace codeburg
