#include <cstdio>

#include "cli/commands.h"

namespace codeburg::cli {

int RunBuild(int, char**)
{
    std::fprintf(stderr, "codeburg-cli: 'build' is not available in this build\n");
    return 2;
}

}  // namespace codeburg::cli
