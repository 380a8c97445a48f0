// Reads arbitrary bytes as a workspace file, with the missing-project repair
// answering "keep" (Yes to the question, then no directory chosen), so the
// harness never drops a project and never deletes a statistics file.
//
// A tree that was read and can be written must read back to the same tree:
// writing it, reading that and writing again gives the same bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "scoring/scoring_settings.h"
#include "workspace/user_interaction.h"
#include "workspace/workspace.h"

namespace {

class KeepEveryProject : public codeburg::UserInteraction {
public:
    void ShowMessage(const std::string&, const std::string&) override {}
    bool AskYesNo(const std::string&, const std::string&) override { return true; }
    std::optional<std::string> BrowseForDirectory(const std::string&, const std::string&) override
    {
        return std::nullopt;
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace codeburg;
    static const ScoringSettings settings;
    KeepEveryProject ui;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    Workspace workspace(&settings, &ui);
    const int result = workspace.Read(bytes);
    if (result != 0 && result != Workspace::kChangedWhileReading && (result < 1 || result > 3))
        std::abort();
    if (result == Workspace::kChangedWhileReading) std::abort();  // "keep" changes nothing

    std::string once;
    if (!workspace.Write(once)) return 0;
    Workspace reread(&settings, &ui);
    if (reread.Read(once) != 0 || reread.Incomplete()) std::abort();
    std::string twice;
    if (!reread.Write(twice) || twice != once) std::abort();
    return 0;
}
