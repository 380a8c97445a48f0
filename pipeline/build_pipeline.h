#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace codeburg {

class BuildProgressSink;
class FileStats;
class MsRandom;
class ProjectStats;
struct SkippedEntry;

// True when "name" matches an entry of the comma-separated list: "*suffix",
// "prefix*" or an exact name, all without regard to case. Blanks are part of
// the entries; an empty list matches nothing.
bool MatchesList(std::string_view name, std::string_view list);

// Options of one evaluation that do not belong to the statistics themselves.
struct BuildOptions {
    std::string reportPath;  // the text report; empty: no report at all
    // Scan the files on all cores. The walk, the colour draws, the file order
    // and the sink calls stay exactly those of the sequential path.
    bool parallel = true;
    int threads = 0;  // 0: one per core
    // The scanner; null means ScanFile. Tests put failures in its place.
    int (*scanFile)(FileStats& stats, const std::string& path, std::vector<char>& buffer) = nullptr;
};

// Walks "directory" with the filters held by "stats", entries in the order the
// file system returns them, depth first, without recursion; every folder is
// opened relative to its parent, so no depth keeps a file from being read.
// Dot-names, links to directories, FIFOs, sockets and devices are skipped
// unopened. With a counter, only counts the matching files; without, scans
// them into stats.files, drawing each new record's colour from "rng" in walk
// order, and appends to stats.skipped every matching file and every folder
// that could not be read. Both modes raise *stats.newestWriteTime
// (nanoseconds) when it is set.
void WalkDirectory(ProjectStats& stats, const std::string& directory, int* counter,
                   MsRandom* rng = nullptr, const BuildOptions& options = {});

// "N files or folders were left out: PATH (REASON), ..." naming the first
// "named" of them; empty when nothing was left out.
std::string SkippedSummary(const std::vector<SkippedEntry>& skipped, size_t named = 3);

// The colour seed: the sum of the name's bytes, each a signed 8-bit value
// times its 1-based position.
uint32_t NameSeed(std::string_view name);

// What EvaluateProject() returns when its sink asked it to stop.
constexpr int kBuildStopped = -2;

// Scans the project directory into "stats", lays out the city and runs the
// measure pass. -1 when no file was scanned (the statistics keep no files and
// the old city), kBuildStopped when the sink asked to stop (the statistics
// are then as they were before the call), else 0. What could not be read is
// in stats.skipped, and summed up in a line of the text report.
int EvaluateProject(ProjectStats& stats, const std::string& directory, BuildProgressSink* sink,
                    const BuildOptions& options = {});

// The layout step of a build, after the scan: drops the old city, sorts the
// files by volume, largest first, and lays out the city from "rng" (which
// must have drawn the file colours before).
void LayOutCity(ProjectStats& stats, MsRandom& rng, BuildProgressSink* sink,
                const BuildOptions& options = {});

// Counts the matching files and grows the sink's range by their number.
void CountFiles(ProjectStats& stats, const std::string& directory, BuildProgressSink* sink,
                const BuildOptions& options = {});

// Depth-first search of "directory" for a file named exactly "fileName"
// (dot-names skipped, no filters).
std::optional<std::string> FindSourceFile(const std::string& directory,
                                          const std::string& fileName);

}  // namespace codeburg
