#pragma once
// TEMPORARY stand-in until the text report lands in main.
#include <string>
namespace codeburg {
class ProjectStats;
void ReportLine(const std::string& path, const char* format, ...);
void WriteFullReport(const std::string& path, const ProjectStats& stats);
void DeleteReport(const std::string& path);
}  // namespace codeburg
