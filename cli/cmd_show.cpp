#include <cstdio>
#include <string>

#include "analysis/project_stats.h"
#include "analysis/statistics_file.h"
#include "cli/commands.h"
#include "cli/project_output.h"
#include "scoring/scoring_settings.h"

namespace codeburg::cli {

int RunShow(int argc, char** argv)
{
    std::string path;
    bool json = false;
    for (int i = 0; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--json") {
            json = true;
        } else if (a.rfind("--", 0) == 0 || !path.empty()) {
            std::fprintf(stderr, "usage: codeburg-cli show FILE.cbb [--json]\n");
            return 2;
        } else {
            path = a;
        }
    }
    if (path.empty()) {
        std::fprintf(stderr, "usage: codeburg-cli show FILE.cbb [--json]\n");
        return 2;
    }

    ScoringSettings settings;
    LoadInstalledSettings(settings);
    ProjectStats stats(&settings);
    if (ReadStatisticsFile(stats, path) != 0) {
        std::fprintf(stderr,
                     "codeburg-cli: cannot read statistics file %s: missing, truncated or "
                     "corrupted\n",
                     path.c_str());
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
