#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace codeburg {

class ProjectStats;
class StatsBuffer;

// Writes the project's files, classes, methods, counters, colours and city
// grid to "path", replacing an older file only once the new one is complete.
// Reports "Serializing" and "Saving" to the statistics' progress sink.
// 0, or -1 when the file cannot be written (the old file then stays).
int WriteStatisticsFile(ProjectStats& stats, const std::string& path);

// Reads a statistics file into "stats" and recomputes the measures with the
// current settings. A file that cannot be opened, ends early, or holds
// impossible counts or versions yields -1 and leaves "stats" unchanged;
// nothing is ever read past the data, nor allocated beyond what it can hold.
int ReadStatisticsFile(ProjectStats& stats, const std::string& path);

// The same two directions over a buffer, for callers that hold the bytes.
void SerialiseStatistics(const ProjectStats& stats, StatsBuffer& buffer);
int DeserialiseStatistics(ProjectStats& stats, StatsBuffer& buffer);

}  // namespace codeburg
