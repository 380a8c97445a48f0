#pragma once

#include <string>

namespace codeburg {

class ProjectStats;

// 0, or -1 when the file cannot be read (the statistics then stay unchanged).
int ReadStatisticsFile(ProjectStats& stats, const std::string& path);
int WriteStatisticsFile(ProjectStats& stats, const std::string& path);

}  // namespace codeburg
