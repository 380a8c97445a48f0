#pragma once

// What build, show and diff share for CI: the findings of a build, a
// baseline to compare them with, and the report in the format asked for,
// written to standard output or safely to a file.
#include <functional>
#include <string>
#include <vector>

#include "cli/cli_args.h"

namespace codeburg {
class ProjectStats;
struct ScoringSettings;
}  // namespace codeburg

namespace codeburg::cli {

// The text "print" writes to a stream, as a string.
std::string Captured(const std::function<void(FILE*)>& print);

// Writes "text" to standard output, or to args.output through a temporary
// file renamed into place. 0, or 1 after saying why on standard error.
int Emit(const std::string& text, const ReportArgs& args);

FindingLimits LimitsOf(const ProjectStats& stats, const ReportArgs& args);

// Loads a statistics file, or builds a directory in memory (nothing is
// written), into "stats" by "extensions" and "rule". 0, or 1 after saying why.
int LoadBuild(const std::string& path, ProjectStats& stats, const std::string& extensions,
              MethodRule rule);

// The report of the formats that list findings (SARIF to CSV); "baseline",
// when not null, sets each finding's state. Also checks "gates" against it
// (nothing without a baseline) and returns the reasons they fail.
struct FindingsOutcome {
    std::string text;
    std::vector<std::string> gateFailures;
};
FindingsOutcome ReportFindings(const ProjectStats& stats, const ProjectStats* baseline,
                               const ReportArgs& args, const std::vector<Gate>& gates);

// Prints each reason on standard error and returns 3, or 0 without reasons.
int GateExit(const std::vector<std::string>& reasons);

}  // namespace codeburg::cli
