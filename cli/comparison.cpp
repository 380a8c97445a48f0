#include "cli/comparison.h"

#include "city/city_geometry.h"
#include "cli/project_output.h"
#include "cli/project_source.h"
#include "records/file_stats.h"
#include "records/project_stats.h"
#include "scoring/scoring_topic.h"

namespace codeburg::cli {

Comparison::Comparison() = default;
Comparison::~Comparison() = default;

int LoadComparison(const std::string& oldPath, const ProjectSource& source, Comparison& out)
{
    if (const int status = LoadStatisticsFile(oldPath, source.settings, out.old); status != 0)
        return status;
    out.oldPath = oldPath;
    out.oldDate = FileTimeStamp(oldPath);
    out.pairs = MatchMethods(*out.old, *source.stats);
    out.changes = ClassifyChanges(out.pairs);
    return 0;
}

CityGeometry ChangeGeometry(const ProjectStats& stats, const Comparison& comparison)
{
    CityGeometry geometry = BuildCityGeometry(stats, DisplayMode::Color);
    RecolourByChange(geometry, stats, comparison.changes);
    return geometry;
}

LegendFacts ChangeLegend(const ProjectStats& stats, const Comparison& comparison,
                         const std::string& buildDate)
{
    LegendFacts facts = LegendFactsOf(stats, DisplayMode::Color, buildDate);
    facts.keyTitle = "Changes since " + (comparison.oldDate.empty() ? std::string("the older build")
                                                                    : comparison.oldDate);
    facts.key = ChangeKey(comparison.changes);
    return facts;
}

ReportComparison ReportOf(const Comparison& comparison)
{
    ReportComparison report;
    report.oldSource = comparison.oldPath;
    if (!comparison.oldDate.empty()) report.oldSource += " (" + comparison.oldDate + ")";
    report.oldOverallPercent = ScorePercent(comparison.old->measures.overallScore);
    for (const MethodPair& pair : comparison.pairs) {
        const char* kind = nullptr;
        switch (pair.kind) {
            case ChangeKind::kAdded:
                ++report.added;
                kind = "added";
                break;
            case ChangeKind::kRemoved:
                ++report.removed;
                kind = "removed";
                break;
            case ChangeKind::kChanged:
                ++report.changed;
                kind = "changed";
                break;
            case ChangeKind::kUnchanged:
                ++report.unchanged;
                break;
        }
        if (!kind) continue;
        ReportChange& change = report.changes.emplace_back();
        change.kind = kind;
        change.file = pair.key.path;
        change.className = pair.key.className;
        change.method = pair.key.name;
        change.oldEloc = pair.oldMethod ? pair.oldMethod->eloc : 0;
        change.newEloc = pair.newMethod ? pair.newMethod->eloc : 0;
    }
    return report;
}

}  // namespace codeburg::cli
