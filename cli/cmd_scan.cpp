#include <cstdio>

#include "cli/commands.h"

namespace codeburg::cli {

int RunScan(int, char**)
{
    std::fprintf(stderr, "codeburg-cli: 'scan' is not available in this build\n");
    return 2;
}

}  // namespace codeburg::cli
