// codeburg-cli workspace FILE.cbw [--missing keep|drop|ask] COMMAND [options]
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <map>
#include <string>
#include <vector>

#include "cli/cli_args.h"
#include "cli/commands.h"
#include "cli/workspace_print.h"
#include "pipeline/build_pipeline.h"
#include "platform/file_lock.h"
#include "platform/ini_file.h"
#include "platform/path_util.h"
#include "records/build_progress_sink.h"
#include "records/project_stats.h"
#include "scoring/scoring_settings.h"
#include "workspace/project.h"
#include "workspace/project_build.h"
#include "workspace/user_interaction.h"
#include "workspace/workspace.h"
#include "workspace/workspace_file.h"

namespace codeburg::cli {

namespace {

namespace fs = std::filesystem;

constexpr const char* kUsage =
    "usage: codeburg-cli workspace FILE.cbw [--missing keep|drop|ask] [--no-wait] COMMAND\n"
    "  init\n"
    "  add DIR [--folder NAME] [--name NAME] [--ext LIST] [--exclude-dirs LIST]\n"
    "          [--exclude-files LIST] [--dev NAME] [--methods classic|modern]\n"
    "  build | rebuild\n"
    "  show [--json]\n";

int Fail(const std::string& message)
{
    std::fprintf(stderr, "codeburg-cli: %s\n", message.c_str());
    return 1;
}

int UsageError(const std::string& message)
{
    std::fprintf(stderr, "codeburg-cli: %s\n%s", message.c_str(), kUsage);
    return 2;
}

std::string ForTerminal(std::string text)
{
    std::string out;
    for (char c : text)
        if (c != '\r') out += c;
    return out;
}

// Keeps every project whose directory is missing: says Yes to the question
// and then cancels the directory chooser. Drop says No, then Yes to "ignore
// all". Messages go to standard error in every mode.
class FixedInteraction : public UserInteraction {
public:
    explicit FixedInteraction(bool drop) : m_drop(drop) {}
    void ShowMessage(const std::string& text, const std::string& title) override
    {
        std::fprintf(stderr, "%s: %s\n", title.c_str(), ForTerminal(text).c_str());
    }
    bool AskYesNo(const std::string& text, const std::string&) override
    {
        if (!m_drop) return true;
        return text.rfind("PROJECT: ", 0) != 0;  // No to the project, Yes to all
    }
    std::optional<std::string> BrowseForDirectory(const std::string&, const std::string&) override
    {
        return std::nullopt;
    }

private:
    bool m_drop;
};

// Asks on the terminal: questions on standard error, answers from standard input.
class TerminalInteraction : public FixedInteraction {
public:
    TerminalInteraction() : FixedInteraction(false) {}
    bool AskYesNo(const std::string& text, const std::string& title) override
    {
        for (;;) {
            std::fprintf(stderr, "%s\n%s\n[y/n] ", title.c_str(), ForTerminal(text).c_str());
            std::string line;
            if (!std::getline(std::cin, line)) return false;
            if (line == "y" || line == "Y" || line == "yes") return true;
            if (line == "n" || line == "N" || line == "no") return false;
        }
    }
    std::optional<std::string> BrowseForDirectory(const std::string& prompt,
                                                  const std::string&) override
    {
        for (;;) {
            std::fprintf(stderr, "%s (empty to cancel): ", prompt.c_str());
            std::string line;
            if (!std::getline(std::cin, line) || line.empty()) return std::nullopt;
            std::error_code ec;
            if (fs::is_directory(line, ec))
                return fs::absolute(line, ec).lexically_normal().string();
            std::fprintf(stderr, "not a directory: %s\n", line.c_str());
        }
    }
};

// Progress of a build on standard error, only when that is a terminal.
class TerminalProgress : public BuildProgressSink {
public:
    void Status(const std::string& objectName, const std::string& verb) override
    {
        std::fprintf(stderr, "\r\033[K%s %s...", verb.c_str(), objectName.c_str());
    }
    void FileStep(const std::string& name) override
    {
        ++m_position;
        ++m_files;
        std::fprintf(stderr, "\r\033[KBuilding %s... (%d files) [%d/%d]", name.c_str(), m_files,
                     m_position, m_range);
    }
    void AddRange(int count) override
    {
        m_range += count;
        m_files = 0;
    }
    int Position() override { return m_position; }

private:
    int m_range = 0;
    int m_position = 0;
    int m_files = 0;
};

// The settings file shared with the main program beside this executable, so
// that a workspace scores here as it does there.
void LoadSharedSettings(ScoringSettings& settings)
{
    std::error_code ec;
    const fs::path self = fs::read_symlink("/proc/self/exe", ec);
    if (ec) return;
    Load(settings, IniFile(SharedSettingsFilePath(self.parent_path().string())));
}

std::string WorkspaceTitle(const std::string& path)
{
    return LastPathComponent(path);
}

enum class Loaded { Whole, Partial, Failed };

// A partial read (a syntax error, or input the reader could not go through)
// may be shown but never saved: saving would lose the rest of the file.
Loaded Load(Workspace& ws, const std::string& path, std::string& message)
{
    const int result = LoadWorkspaceFile(ws, path, &message);
    if (result == -1) return Loaded::Failed;
    if (!message.empty()) return Loaded::Partial;
    return Loaded::Whole;
}

int LoadForSaving(Workspace& ws, const std::string& path)
{
    std::string message;
    const Loaded loaded = Load(ws, path, message);
    if (loaded == Loaded::Failed) return Fail(message);
    if (loaded == Loaded::Partial) return Fail(message + "; nothing was changed");
    return 0;
}

// Holds the workspace file through a command's whole read, change and write,
// so that two commands at once never lose each other's change. A second
// command waits (and says so after a second) or, with --no-wait, gives up.
int LockForChange(FileLock& lock, const std::string& path, bool noWait)
{
    std::string error;
    int code = 0;
    const auto waiting = [&path] {
        std::fprintf(stderr,
                     "codeburg-cli: waiting for workspace file %s: another command is "
                     "changing it\n",
                     path.c_str());
    };
    if (lock.Lock(path, noWait ? FileLock::Wait::No : FileLock::Wait::Yes, waiting, &error,
                  &code) == 0)
        return 0;
    if (code == ENOENT) return 0;  // the reading reports it
    if (code == EWOULDBLOCK)
        return Fail("workspace file " + path +
                    " is being changed by another command; nothing was changed");
    return Fail("cannot lock workspace file " + path + ": " + error);
}

int Save(const Workspace& ws, const std::string& path)
{
    std::error_code ec;
    if (fs::exists(path, ec)) WriteBackupCopy(path);
    std::string message;
    if (SaveWorkspaceFile(ws, path, &message) != 0) return Fail(message);
    return 0;
}

int RunInit(Workspace& ws, const std::string& path)
{
    std::error_code ec;
    if (fs::exists(path, ec))
        return Fail("workspace file " + path + " already exists; nothing was changed");
    ws.New();
    // Created only if the name is still free: a file made meanwhile stays.
    std::string message;
    if (CreateWorkspaceFile(ws, path, &message) != 0) return Fail(message);
    return 0;
}

int RunAdd(Workspace& ws, const std::string& path, const WorkspaceCommandArgs& o, bool noWait)
{
    std::error_code ec;
    if (!fs::is_directory(o.directory, ec))
        return Fail("project directory " + o.directory + " does not exist");
    std::string directory = fs::absolute(o.directory, ec).lexically_normal().string();
    while (directory.size() > 1 && directory.back() == kPathSeparator) directory.pop_back();
    if (IsRootDirectory(directory)) return Fail(RootDirectoryMessage(directory));

    const std::string name = o.name.value_or(LastPathComponent(directory));
    // The name is also the statistics file's name inside the project directory.
    if (name.empty() || name.find('/') != std::string::npos ||
        name.find('\\') != std::string::npos || name.find("..") != std::string::npos)
        return Fail("invalid project name '" + name +
                    "': it must not be empty nor contain \"/\", \"\\\" or \"..\"");

    FileLock lock;
    if (int rc = LockForChange(lock, path, noWait)) return rc;
    if (int rc = LoadForSaving(ws, path)) return rc;
    const std::string folderName = o.folder.value_or("Projects");
    Folder* folder = nullptr;
    for (const auto& sub : ws.subfolders)
        if (!folder && EqualsNoCase(sub->name, folderName)) folder = sub.get();
    if (!folder) folder = ws.AddSubfolder(std::make_unique<Folder>(folderName));

    auto project = std::make_unique<Project>(ws.settings(), folder, name);
    project->directory = directory;
    if (o.extensions) project->extensions = *o.extensions;
    if (o.excludedDirs) project->excludedDirs = *o.excludedDirs;
    if (o.excludedFiles) project->excludedFiles = *o.excludedFiles;
    if (o.developer) project->developer = *o.developer;
    project->methods = o.methods;
    folder->AddProject(std::move(project));
    return Save(ws, path);
}

int RunBuild(Workspace& ws, const std::string& path, bool force, UserInteraction& ui, bool noWait)
{
    FileLock lock;
    if (int rc = LockForChange(lock, path, noWait)) return rc;
    if (int rc = LoadForSaving(ws, path)) return rc;
    TerminalProgress progress;
    BuildProgressSink* sink = ::isatty(STDERR_FILENO) ? &progress : nullptr;
    const int result = BuildAll(ws, sink, force, true, &ui, BuildOptions{});
    if (sink) std::fprintf(stderr, "\r\033[K");
    std::vector<Project*> projects;
    ws.CollectProjects(projects);
    for (const Project* project : projects) {
        if (!project->stats->skipped.empty())
            std::fprintf(stderr, "codeburg-cli: warning: %s: %s\n", project->name.c_str(),
                         SkippedSummary(project->stats->skipped).c_str());
    }
    if (result != 0)
        return Fail("a project failed to build; workspace file " + path + " was not changed");
    if (int rc = Save(ws, path)) return rc;
    std::printf("Build complete.\n");
    // Only projects built now count bodies; loaded statistics have none.
    for (const Project* project : projects)
        if (project->stats && project->stats->ShouldSuggestModernRule())
            std::fprintf(stderr, "codeburg-cli: project %s: %s; use --methods modern\n",
                         project->name.c_str(),
                         SkippedBodiesText(project->stats->SkippedBodies()).c_str());
    return 0;
}

int RunShow(Workspace& ws, const std::string& path, bool json)
{
    std::string message;
    const Loaded loaded = Load(ws, path, message);
    if (loaded == Loaded::Failed) return Fail(message);
    if (json)
        PrintWorkspaceJson(ws, WorkspaceTitle(path));
    else
        PrintWorkspaceText(ws, WorkspaceTitle(path));
    // What was read is shown, but a damaged file is still a failure.
    return loaded == Loaded::Partial ? Fail(message) : 0;
}

}  // namespace

int RunWorkspace(int argc, char** argv)
{
    const Parsed<WorkspaceArgs> parsed = ParseWorkspaceArgs(ToArgList(argc, argv));
    if (!parsed.ok()) return UsageError(parsed.error);
    const std::string& path = parsed.options.path;
    const bool noWait = parsed.options.noWait;
    std::string missing = parsed.options.missing;

    // Without a terminal nobody can answer the questions of "ask", and a
    // script never loses projects by accident: missing projects are kept.
    // "drop" asks nothing and stays what it says.
    if (missing == "ask" && !::isatty(STDIN_FILENO)) {
        std::fprintf(stderr,
                     "codeburg-cli: standard input is not a terminal: missing projects are kept\n");
        missing = "keep";
    }
    FixedInteraction fixed(missing == "drop");
    TerminalInteraction terminal;
    UserInteraction& ui = missing == "ask" ? static_cast<UserInteraction&>(terminal) : fixed;

    ScoringSettings settings;
    LoadSharedSettings(settings);
    Workspace ws(&settings, &ui);
    const Parsed<WorkspaceCommandArgs> command =
        ParseWorkspaceCommandArgs(parsed.options.command, parsed.options.rest);
    if (!command.ok()) return UsageError(command.error);
    switch (command.options.command) {
        case WorkspaceCommand::Init:
            return RunInit(ws, path);
        case WorkspaceCommand::Add:
            return RunAdd(ws, path, command.options, noWait);
        case WorkspaceCommand::Build:
            return RunBuild(ws, path, false, ui, noWait);
        case WorkspaceCommand::Rebuild:
            return RunBuild(ws, path, true, ui, noWait);
        case WorkspaceCommand::Show:
            return RunShow(ws, path, command.options.json);
    }
    return 2;
}

}  // namespace codeburg::cli
