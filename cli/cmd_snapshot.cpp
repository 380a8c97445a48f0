#include <cstdio>

#include "cli/commands.h"

namespace codeburg::cli {

int RunSnapshot(int, char**)
{
    std::fprintf(stderr, "codeburg-cli: 'snapshot' is not available in this build\n");
    return 2;
}

}  // namespace codeburg::cli
