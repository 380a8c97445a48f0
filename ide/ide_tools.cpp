#include "ide/ide_tools.h"

#include "app/profile.h"
#include "ide/ide_registry.h"

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
    return ide == Ide::Vc6 ? "Software\\Microsoft\\DevStudio\\6.0\\Tools"
                           : "Software\\Microsoft\\VisualStudio\\7.0\\External Tools";
}

bool IdeInstalled(const IdeRegistry& registry, Ide ide)
{
    return registry.keyExists(IdeKey(ide)) &&
           registry.readDword(IdeKey(ide), CountName(ide)).has_value();
}

std::optional<int> FindToolEntry(const IdeRegistry& registry, Ide ide)
{
    const auto count = registry.readDword(IdeKey(ide), CountName(ide));
    if (!count || *count < 1) return std::nullopt;
    for (uint32_t i = 0; i < *count; ++i) {
        const auto title = registry.readString(IdeKey(ide), Numbered(TitleName(ide), int(i)));
        if (title && *title == kToolName) return static_cast<int>(i);
    }
    return std::nullopt;
}

bool RegisterTool(IdeRegistry& registry, Ide ide, const std::string& executable)
{
    const std::string key = IdeKey(ide);
    const auto count = registry.readDword(key, CountName(ide));
    if (!count) return false;
    const auto existing = FindToolEntry(registry, ide);
    const int i = existing ? *existing : static_cast<int>(*count);
    bool ok = true;
    if (ide == Ide::Vc6) {
        ok &= registry.writeString(key, Numbered("MenuName#", i), kToolName);
        ok &= registry.writeString(key, Numbered("PathName#", i), executable);
        ok &= registry.writeString(key, Numbered("DefaultArguments#", i), kToolArguments);
        ok &= registry.writeString(key, Numbered("InitialDirectory#", i), "");
        ok &= registry.writeDword(key, Numbered("CloseWindow#", i), 0);
        ok &= registry.writeDword(key, Numbered("AskArgument#", i), 0);
        ok &= registry.writeDword(key, Numbered("GUITool#", i), 1);
        ok &= registry.writeDword(key, Numbered("OutputRedirect#", i), 0);
        ok &= registry.writeDword(key, Numbered("ReloadNoPrompt#", i), 0);
        ok &= registry.writeDword(key, Numbered("UseSearchPath#", i), 0);
        ok &= registry.writeDword(key, Numbered("VisibleOnMenu#", i), 1);
    } else {
        ok &= registry.writeString(key, Numbered("ToolTitle", i), kToolName);
        ok &= registry.writeString(key, Numbered("ToolCmd", i), executable);
        ok &= registry.writeString(key, Numbered("ToolArg", i), kToolArguments);
        ok &= registry.writeString(key, Numbered("ToolDir", i), "");
        ok &= registry.writeDword(key, Numbered("ToolOpt", i), 17);
    }
    if (!existing) ok &= registry.writeDword(key, CountName(ide), *count + 1);
    ok &= registry.flush(key);
    return ok;
}

bool IdeToolsStartupCheck(IdeRegistry& registry, const std::string& executable)
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
