#include <cstdio>
#include <memory>
#include <string>

#include "cli/ci_output.h"
#include "cli/cli_args.h"
#include "cli/commands.h"
#include "cli/project_output.h"
#include "pipeline/statistics_file.h"
#include "records/project_stats.h"
#include "scoring/scoring_settings.h"

namespace codeburg::cli {

int RunShow(int argc, char** argv)
{
    const Parsed<ShowArgs> parsed = ParseShowArgs(ToArgList(argc, argv));
    if (!parsed.ok()) {
        std::fprintf(stderr, "%s\n", parsed.error.c_str());
        return 2;
    }
    const ShowArgs& args = parsed.options;
    const std::string& path = args.path;

    ScoringSettings settings;
    LoadInstalledSettings(settings);
    if (args.lineCount) settings.lineCount = *args.lineCount;
    std::unique_ptr<ProjectStats> baseline;
    if (!args.baseline.empty()) {
        baseline = std::make_unique<ProjectStats>(&settings);
        if (LoadBuild(args.baseline, *baseline, baseline->extensions, MethodRule::Classic) != 0)
            return 1;
    }
    ProjectStats stats(&settings);
    std::string reason;
    if (ReadStatisticsFile(stats, path, &reason) != 0) {
        std::fprintf(stderr, "codeburg-cli: cannot read statistics file %s: %s\n", path.c_str(),
                     reason.c_str());
        return 1;
    }
    const ProjectHeader header{stats.name, stats.directory, path, FileTimeStamp(path), false};
    std::string text = ReportFindings(stats, baseline.get(), args.report, {}).text;
    if (args.report.format == OutputFormat::kJson)
        text = Captured([&](FILE* out) { PrintJson(out, ProjectJson(stats, header)); });
    else if (args.report.format == OutputFormat::kText)
        text = Captured([&](FILE* out) { PrintScoreSheet(out, stats, header); });
    return Emit(text, args.report);
}

}  // namespace codeburg::cli
