#include "ide/ide_tools.h"

#include "gui/profile.h"
#include "platform/registry.h"

namespace codeburg {

namespace {

std::string Numbered(const char* name, int i)
{
    return std::string(name) + std::to_string(i);
}

const char* CountName(Ide ide)
{
    return ide == Ide::Vc6 ? "NumTools" : "ToolNumKeys";
}

const char* TitleName(Ide ide)
{
    return ide == Ide::Vc6 ? "MenuName#" : "ToolTitle";
}

}  // namespace

const char* IdeKey(Ide ide)
{
    return ide == Ide::Vc6
               ? "HKEY_CURRENT_USER\\Software\\Microsoft\\DevStudio\\6.0\\Tools"
               : "HKEY_CURRENT_USER\\Software\\Microsoft\\VisualStudio\\7.0\\External Tools";
}

bool IdeInstalled(const Registry& registry, Ide ide)
{
    return registry.KeyExists(IdeKey(ide)) &&
           registry.ReadInteger(IdeKey(ide), CountName(ide)).has_value();
}

std::optional<int> FindToolEntry(const Registry& registry, Ide ide)
{
    const auto count = registry.ReadInteger(IdeKey(ide), CountName(ide));
    if (!count || *count < 1) return std::nullopt;
    for (uint32_t i = 0; i < *count; ++i) {
        const auto title = registry.ReadString(IdeKey(ide), Numbered(TitleName(ide), int(i)));
        if (title && *title == kToolName) return static_cast<int>(i);
    }
    return std::nullopt;
}

bool RegisterTool(Registry& registry, Ide ide, const std::string& executable)
{
    const std::string key = IdeKey(ide);
    const auto count = registry.ReadInteger(key, CountName(ide));
    if (!count) return false;
    const auto existing = FindToolEntry(registry, ide);
    const int i = existing ? *existing : static_cast<int>(*count);
    bool ok = true;
    if (ide == Ide::Vc6) {
        ok &= registry.WriteString(key, Numbered("MenuName#", i), kToolName);
        ok &= registry.WriteString(key, Numbered("PathName#", i), executable);
        ok &= registry.WriteString(key, Numbered("DefaultArguments#", i), kToolArguments);
        ok &= registry.WriteString(key, Numbered("InitialDirectory#", i), "");
        ok &= registry.WriteInteger(key, Numbered("CloseWindow#", i), 0);
        ok &= registry.WriteInteger(key, Numbered("AskArgument#", i), 0);
        ok &= registry.WriteInteger(key, Numbered("GUITool#", i), 1);
        ok &= registry.WriteInteger(key, Numbered("OutputRedirect#", i), 0);
        ok &= registry.WriteInteger(key, Numbered("ReloadNoPrompt#", i), 0);
        ok &= registry.WriteInteger(key, Numbered("UseSearchPath#", i), 0);
        ok &= registry.WriteInteger(key, Numbered("VisibleOnMenu#", i), 1);
    } else {
        ok &= registry.WriteString(key, Numbered("ToolTitle", i), kToolName);
        ok &= registry.WriteString(key, Numbered("ToolCmd", i), executable);
        ok &= registry.WriteString(key, Numbered("ToolArg", i), kToolArguments);
        ok &= registry.WriteString(key, Numbered("ToolDir", i), "");
        ok &= registry.WriteInteger(key, Numbered("ToolOpt", i), 17);
    }
    if (!existing) ok &= registry.WriteInteger(key, CountName(ide), *count + 1);
    return ok;
}

bool IdeToolsStartupCheck(Registry& registry, const std::string& executable)
{
    const bool vc6 = IdeInstalled(registry, Ide::Vc6);
    const bool vc7 = IdeInstalled(registry, Ide::Vc7);
    if (!vc6 && !vc7) return true;
    const bool dontAsk = ProfileInt(QStringLiteral("MAIN"), QStringLiteral("TOOLDONTASK"), 0) != 0;
    bool vc6Done = !vc6;
    if (vc6 && FindToolEntry(registry, Ide::Vc6)) {
        RegisterTool(registry, Ide::Vc6, executable);
        vc6Done = true;
    }
    if (vc7) {
        if (FindToolEntry(registry, Ide::Vc7)) {
            RegisterTool(registry, Ide::Vc7, executable);
        } else {
            return dontAsk;
        }
    }
    return vc6Done || dontAsk;
}

}  // namespace codeburg
