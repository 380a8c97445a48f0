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
// 0, or -1 when the file cannot be written (the old file then stays), with
// the reason in "error" when given: a link or folder in the file's place is
// never written through.
int WriteStatisticsFile(ProjectStats& stats, const std::string& path, std::string* error = nullptr);

// Reads a statistics file into "stats" and recomputes the measures with the
// current settings. A file that cannot be opened, ends early, or holds
// impossible counts or versions yields -1 and leaves "stats" unchanged;
// nothing is ever read past the data, nor allocated beyond what it can hold.
// Only a regular file of at most kMaxStatisticsBytes is opened (a FIFO or a
// device is refused, never waited on); "error" receives why a read failed.
inline constexpr uint64_t kMaxStatisticsBytes = uint64_t{4} << 30;
int ReadStatisticsFile(ProjectStats& stats, const std::string& path, std::string* error = nullptr);

// The same two directions over a buffer, for callers that hold the bytes.
void SerialiseStatistics(const ProjectStats& stats, StatsBuffer& buffer);
int DeserialiseStatistics(ProjectStats& stats, StatsBuffer& buffer);

}  // namespace codeburg
