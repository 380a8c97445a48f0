#pragma once

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "ci/method_match.h"
#include "report/change_colours.h"
#include "report/html_report.h"
#include "report/snapshot_legend.h"

namespace codeburg {
class ProjectStats;
struct CityGeometry;
}  // namespace codeburg

namespace codeburg::cli {

struct ProjectSource;

// A project compared with an older statistics file of it.
struct Comparison {
    Comparison();
    ~Comparison();

    std::unique_ptr<ProjectStats> old;
    std::string oldPath;
    std::string oldDate;  // the older file's time stamp
    std::vector<MethodPair> pairs;
    std::unordered_map<const MethodStats*, BuildingChange> changes;
};

// Reads "oldPath" and matches its methods with the source's. 0, or 1 with
// the message printed. "source" must outlive "out".
int LoadComparison(const std::string& oldPath, const ProjectSource& source, Comparison& out);

// The city's buildings coloured by change instead of by a display mode.
CityGeometry ChangeGeometry(const ProjectStats& stats, const Comparison& comparison);

// The legend of such a picture: the project's figures and the change key.
LegendFacts ChangeLegend(const ProjectStats& stats, const Comparison& comparison,
                         const std::string& buildDate);

// What the report lists: the methods added, removed and changed, and the
// counts of each kind, unchanged ones included.
ReportComparison ReportOf(const Comparison& comparison);

}  // namespace codeburg::cli
