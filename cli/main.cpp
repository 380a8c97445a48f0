#include <cstdio>
#include <cstring>

#include "cli/commands.h"

namespace {

struct Command {
    const char* name;
    int (*run)(int, char**);
    const char* usage;
};

const Command kCommands[] = {
    {"scan", codeburg::cli::RunScan, "scan [--linecount N] [--methods classic|modern] FILE..."},
    {"build", codeburg::cli::RunBuild,
     "build DIR [--name NAME] [--ext LIST] [--exclude-dirs LIST] [--exclude-files LIST]\n"
     "          [--linecount N] [--methods classic|modern] [--force] [--json] [--min-score P]\n"
     "          [--baseline OLD.cbb --fail-on score,new,worse] [--format F] [--output FILE]\n"
     "          [--max-params N] [--min-comments P]"},
    {"show", codeburg::cli::RunShow,
     "show FILE.cbb [--json] [--format F] [--output FILE] [--baseline OLD.cbb] [--linecount N]\n"
     "          [--max-params N] [--min-comments P]"},
    {"diff", codeburg::cli::RunDiff,
     "diff OLD NEW [--fail-on score,new,worse] [--format F] [--json] [--output FILE]\n"
     "          [--linecount N] [--max-params N] [--min-comments P] [--ext LIST] [--methods R]\n"
     "          (OLD and NEW: statistics files or directories; F: text, json, sarif, junit,\n"
     "          checkstyle, codeclimate, github or csv)"},
    {"workspace", codeburg::cli::RunWorkspace, "workspace FILE.cbw COMMAND ..."},
    {"snapshot", codeburg::cli::RunSnapshot,
     "snapshot (DIR | FILE.cbb | FILE.cbw --project NAME) OUT.jpg [options]"},
    {"report", codeburg::cli::RunReport,
     "report (DIR | FILE.cbb | FILE.cbw --project NAME) OUT.html [options]"},
    {"export", codeburg::cli::RunExport,
     "export (DIR | FILE.cbb | FILE.cbw --project NAME) OUT.glb [options]"},
};

int Usage(FILE* out)
{
    std::fprintf(out, "usage:\n");
    for (const Command& c : kCommands) std::fprintf(out, "  codeburg-cli %s\n", c.usage);
    return out == stdout ? 0 : 2;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2) return Usage(stderr);
    if (!std::strcmp(argv[1], "--help") || !std::strcmp(argv[1], "-h")) return Usage(stdout);
    for (const Command& c : kCommands)
        if (!std::strcmp(argv[1], c.name)) return c.run(argc - 2, argv + 2);
    std::fprintf(stderr, "codeburg-cli: unknown command '%s'\n", argv[1]);
    return Usage(stderr);
}
