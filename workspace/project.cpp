#include "workspace/project.h"

#include <filesystem>
#include <system_error>

#include "pipeline/statistics_file.h"
#include "platform/path_util.h"
#include "scoring/scoring_topic.h"

namespace codeburg {

Project::Project(const ScoringSettings* settings, Folder* parentFolder, std::string projectName)
    : parent(parentFolder),
      name(std::move(projectName)),
      stats(std::make_unique<ProjectStats>(settings))
{
}

std::string Project::Identifier() const
{
    return name + std::to_string(stats ? stats->measures.totalMethods : 0);
}

std::string Project::StatisticsPath() const
{
    return PathJoin(directory, name + ".cbb");
}

int Project::LoadStatistics()
{
    if (!stats || ReadStatisticsFile(*stats, StatisticsPath()) != 0) return -1;
    statisticsLoaded = 1;
    return 0;
}

// Only ever this project's own statistics file: a name that could lead the
// path out of the project directory, an empty directory (which would make the
// path relative to wherever the program runs) and anything but a regular file
// are left alone.
void Project::DeleteStatisticsFile() const
{
    if (directory.empty() || name.empty()) return;
    if (name.find('/') != std::string::npos || name.find('\\') != std::string::npos ||
        name.find("..") != std::string::npos)
        return;
    const std::filesystem::path path(StatisticsPath());
    std::error_code ec;
    if (!std::filesystem::is_regular_file(std::filesystem::symlink_status(path, ec))) return;
    std::filesystem::remove(path, ec);  // a file that cannot be removed is not an error
}

int Project::Percent() const
{
    return stats ? ScorePercent(stats->measures.overallScore) : 0;
}

std::optional<std::string> Project::ViewpointText(int slot) const
{
    if (slot < 0 || slot >= kViewpointSlots || viewpoints[slot].empty()) return std::nullopt;
    return viewpoints[slot];
}

}  // namespace codeburg
