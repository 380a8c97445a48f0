#include "gui/workspace_file.h"

#include "gui/interaction.h"
#include "platform/path_util.h"
#include "workspace/folder.h"
#include "workspace/workspace.h"

namespace codeburg {

namespace {

// Hands the repair's questions to whichever interaction is installed when
// they are asked (tests swap it between workspaces).
class CurrentInteraction : public UserInteraction {
public:
    void ShowMessage(const std::string& text, const std::string& title) override
    {
        Ui().ShowMessage(text, title);
    }
    bool AskYesNo(const std::string& text, const std::string& title) override
    {
        return Ui().AskYesNo(text, title);
    }
    std::optional<std::string> BrowseForDirectory(const std::string& prompt,
                                                  const std::string& initial) override
    {
        return Ui().BrowseForDirectory(prompt, initial);
    }
};

CurrentInteraction g_current;

}  // namespace

std::unique_ptr<Folder> NewWorkspaceRoot(const ScoringSettings* settings)
{
    return std::make_unique<Workspace>(settings, &g_current);
}

int ReadWorkspaceText(Folder& root, const std::string& text)
{
    auto& workspace = static_cast<Workspace&>(root);
    const int result = workspace.Read(text);
    const bool complete =
        (result == 0 || result == Workspace::kChangedWhileReading) && !workspace.Incomplete();
    const bool nothingRead = workspace.CountProjects(true) == 0 && workspace.subfolders.empty();
    const bool hasElement = ToLowerAscii(text).find("<workspace") != std::string::npos;
    if (nothingRead && !text.empty() && (!complete || !hasElement)) return kWorkspaceNotRecognised;
    if (!complete) return kWorkspaceIncomplete;
    return result;
}

bool WriteWorkspaceText(const Folder& root, std::string& out, std::string& error)
{
    return static_cast<const Workspace&>(root).Write(out, &error);
}

}  // namespace codeburg
