#include <cstdio>
#include <string>

#include "ci/build_diff.h"
#include "cli/ci_output.h"
#include "cli/cli_args.h"
#include "cli/commands.h"
#include "cli/project_output.h"
#include "records/project_stats.h"
#include "scoring/scoring_settings.h"

namespace codeburg::cli {

int RunDiff(int argc, char** argv)
{
    const Parsed<DiffArgs> parsed = ParseDiffArgs(ToArgList(argc, argv));
    if (!parsed.ok()) {
        std::fprintf(stderr, "codeburg-cli diff: %s\n", parsed.error.c_str());
        std::fprintf(stderr,
                     "usage: codeburg-cli diff OLD NEW [--fail-on LIST] [--format F] [--json]\n"
                     "       [--output FILE] [--linecount N] [--max-params N] [--min-comments P]\n"
                     "       [--ext LIST] [--methods classic|modern]\n");
        return 2;
    }
    const DiffArgs& args = parsed.options;
    ScoringSettings settings;
    LoadInstalledSettings(settings);
    if (args.lineCount) settings.lineCount = *args.lineCount;
    ProjectStats oldStats(&settings), newStats(&settings);
    if (LoadBuild(args.oldPath, oldStats, args.extensions, args.methods) != 0 ||
        LoadBuild(args.newPath, newStats, args.extensions, args.methods) != 0)
        return 1;

    const FindingsOutcome findings = ReportFindings(newStats, &oldStats, args.report, args.failOn);
    std::string text;
    if (args.report.format == OutputFormat::kText)
        text = DiffText(DiffBuilds(oldStats, newStats));
    else if (args.report.format == OutputFormat::kJson)
        text = DiffJson(DiffBuilds(oldStats, newStats));
    else
        text = findings.text;
    if (Emit(text, args.report) != 0) return 1;
    return GateExit(findings.gateFailures);
}

}  // namespace codeburg::cli
