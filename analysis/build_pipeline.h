#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace codeburg {

class BuildProgressSink;
class ProjectStats;

// True when "name" matches an entry of the comma-separated list: "*suffix",
// "prefix*" or an exact name, all without regard to case. Blanks are part of
// the entries; an empty list matches nothing.
bool MatchesList(std::string_view name, std::string_view list);

// Options of one evaluation that do not belong to the statistics themselves.
struct BuildOptions {
    std::string reportPath;  // the text report; empty: no report at all
};

// Walks "directory" with the filters held by "stats". With a counter, only
// counts the matching files (and tracks stats.newestWriteTime when set);
// without, scans them into stats.files. "rng" draws the file colours.
// Scans the project directory into "stats", lays out the city and runs the
// measure pass. -1 when no file was scanned (the statistics keep no files and
// the old city), else 0.
int EvaluateProject(ProjectStats& stats, const std::string& directory, BuildProgressSink* sink,
                    const BuildOptions& options = {});

// Counts the matching files and grows the sink's range by their number.
void CountFiles(ProjectStats& stats, const std::string& directory, BuildProgressSink* sink);

// Depth-first search of "directory" for a file named exactly "fileName"
// (dot-names skipped, no filters).
std::optional<std::string> FindSourceFile(const std::string& directory,
                                          const std::string& fileName);

}  // namespace codeburg
