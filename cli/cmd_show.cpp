#include <cstdio>

#include "cli/commands.h"

namespace codeburg::cli {

int RunShow(int, char**)
{
    std::fprintf(stderr, "codeburg-cli: 'show' is not available in this build\n");
    return 2;
}

}  // namespace codeburg::cli
