// The repair of projects whose directory is missing while a workspace is read.
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "platform/path_util.h"
#include "workspace/user_interaction.h"
#include "workspace/workspace.h"

namespace codeburg {

namespace {

constexpr const char* kTitle = "Missing Project";

std::string AskMessage(const std::string& project, const std::string& directory)
{
    return "PROJECT: " + project +
           "\r\n\r\nThe following project directory is missing: " + directory +
           ".\r\nDo you want to specify a new directory or ignore that project?\r\n"
           "  Yes = specify a new directory\r\n  No  = ignore project";
}

constexpr const char* kAskAllMessage =
    "Should we ignore all remaining projects with the same problem?";

std::string AskRuleMessage(const std::string& oldPart, const std::string& newPart)
{
    return "Should we apply the same change to all remaining projects with the same "
           "problem?\r\n(that is replacing " +
           oldPart + " with " + newPart + ")";
}

}  // namespace

std::string ReplaceAll(std::string_view text, std::string_view from, std::string_view to)
{
    if (from.empty()) return std::string(text);
    std::string out;
    size_t pos = 0;
    for (size_t hit; (hit = text.find(from, pos)) != std::string_view::npos;
         pos = hit + from.size()) {
        out.append(text.substr(pos, hit - pos));
        out.append(to);
    }
    out.append(text.substr(pos));
    return out;
}

void DeriveReplaceRule(std::string_view oldDirectory, std::string_view newDirectory,
                       std::string& oldPart, std::string& newPart)
{
    oldPart.clear();
    newPart.clear();
    const size_t m = oldDirectory.size();
    const size_t n = newDirectory.size();
    for (size_t k = 1; k <= m && k <= n; ++k) {
        if (!EqualsNoCase(oldDirectory.substr(m - k, 1), newDirectory.substr(n - k, 1))) break;
        oldPart.assign(oldDirectory.substr(0, m - k));
        newPart.assign(newDirectory.substr(0, n - k));
    }
}

void Workspace::CheckDirectory(Project& project, const std::string& directory)
{
    std::error_code ec;
    if (std::filesystem::exists(std::filesystem::path(directory), ec)) return;
    // A rule with an empty old part would match everywhere: it is not in force.
    if (!replaceNew.empty() && !replaceOld.empty()) {
        project.directory = ReplaceAll(directory, replaceOld, replaceNew);
        if (project.directory != directory) changedWhileReading = true;
        return;
    }
    Repair(project);
}

void Workspace::Repair(Project& project)
{
    if (dropAllMissing) {
        dropThisProject = true;
        return;
    }
    // Without anyone to ask the project stays as it is, as after a cancel.
    if (!m_ui) return;
    if (!m_ui->AskYesNo(AskMessage(project.name, project.directory), kTitle)) {
        if (m_ui->AskYesNo(kAskAllMessage, kTitle)) dropAllMissing = true;
        dropThisProject = true;
        return;
    }
    const std::optional<std::string> chosen =
        m_ui->BrowseForDirectory("Select directory for project " + project.name, std::string());
    if (!chosen) return;

    DeriveReplaceRule(project.directory, *chosen, replaceOld, replaceNew);
    project.directory = *chosen;
    changedWhileReading = true;
    if (replaceOld.empty()) {
        replaceNew.clear();
        return;
    }
    if (!m_ui->AskYesNo(AskRuleMessage(replaceOld, replaceNew), kTitle)) {
        replaceOld.clear();
        replaceNew.clear();
    }
}

}  // namespace codeburg
