#include <cstdio>
#include <string>

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
    const std::string& path = parsed.options.path;
    const bool json = parsed.options.json;

    ScoringSettings settings;
    LoadInstalledSettings(settings);
    ProjectStats stats(&settings);
    std::string reason;
    if (ReadStatisticsFile(stats, path, &reason) != 0) {
        std::fprintf(stderr, "codeburg-cli: cannot read statistics file %s: %s\n", path.c_str(),
                     reason.c_str());
        return 1;
    }
    const ProjectHeader header{stats.name, stats.directory, path, FileTimeStamp(path), false};
    if (json)
        PrintJson(stdout, ProjectJson(stats, header));
    else
        PrintScoreSheet(stdout, stats, header);
    return 0;
}

}  // namespace codeburg::cli
