// Used only while the analysis library does not define the lookup yet (see
// views/CMakeLists.txt), so the panes can be built and tested alone.
#include <filesystem>
#include <system_error>

#include "analysis/build_pipeline.h"

namespace codeburg {

std::optional<std::string> FindSourceFile(const std::string& directory, const std::string& fileName)
{
    namespace fs = std::filesystem;
    std::error_code error;
    fs::recursive_directory_iterator it(directory, error), end;
    for (; !error && it != end; it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (!name.empty() && name[0] == '.') {
            if (it->is_directory(error)) it.disable_recursion_pending();
            continue;
        }
        if (name == fileName && !it->is_directory(error)) return it->path().string();
    }
    return std::nullopt;
}

}  // namespace codeburg
