#include <cstdio>

#include "cli/commands.h"

namespace codeburg::cli {

int RunWorkspace(int, char**)
{
    std::fprintf(stderr, "codeburg-cli: 'workspace' is not available in this build\n");
    return 2;
}

}  // namespace codeburg::cli
