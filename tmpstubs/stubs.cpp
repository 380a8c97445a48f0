// TEMPORARY stand-ins for other slices, deleted once main provides them.
#include <cstdarg>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "analysis/file_stats.h"
#include "analysis/project_stats.h"
#include "analysis/stats_buffer.h"
#include "analysis/text_report.h"
#include "platform/ini_file.h"
#include "city/city_grid.h"
#include "platform/ms_random.h"
#include "platform/path_util.h"
#include "platform/safe_file.h"
#include "scoring/scoring_settings.h"
#include "workspace/project.h"

namespace codeburg {

Project::Project(const ScoringSettings* settings, Folder* parentFolder, std::string projectName)
    : parent(parentFolder), name(std::move(projectName)),
      stats(std::make_unique<ProjectStats>(settings))
{
}

std::string Project::StatisticsPath() const { return PathJoin(directory, name + ".cbb"); }


}  // namespace codeburg
