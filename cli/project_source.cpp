#include "cli/project_source.h"

#include <cctype>
#include <cstdio>
#include <ctime>
#include <filesystem>

#include "cli/project_output.h"
#include "pipeline/build_pipeline.h"
#include "pipeline/statistics_file.h"
#include "platform/ini_file.h"
#include "records/project_stats.h"
#include "workspace/project.h"
#include "workspace/project_build.h"
#include "workspace/workspace.h"
#include "workspace/workspace_file.h"

namespace codeburg::cli {

namespace {

namespace fs = std::filesystem;

int Failure(const std::string& message)
{
    std::fprintf(stderr, "codeburg-cli: %s\n", message.c_str());
    return 1;
}

std::string Lower(std::string text)
{
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// The last component of a directory path, ignoring a trailing separator.
std::string LastComponent(const fs::path& directory)
{
    fs::path p = directory;
    if (!p.has_filename()) p = p.parent_path();
    return p.filename().string();
}

// A directory is measured as it is read: its build date is now.
std::string NowStamp()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[64];
    return std::string(text, std::strftime(text, sizeof text, "%m/%d/%y at %H:%M:%S", &local));
}

int FromDirectory(const std::string& source, ProjectSource& out)
{
    if (IsRootDirectory(source)) return Failure(RootDirectoryMessage(source));
    out.own = std::make_unique<ProjectStats>(&out.settings);
    out.own->directory = source;
    out.own->name = LastComponent(fs::absolute(source));
    if (EvaluateProject(*out.own, source, nullptr) != 0)
        return Failure("no source files found in " + source);
    out.stats = out.own.get();
    out.buildDate = NowStamp();
    return 0;
}

int FromWorkspace(const std::string& source, const std::string& name, ProjectSource& out)
{
    if (name.empty()) {
        out.usageError = "a workspace file needs --project NAME to choose the project";
        return 2;
    }
    out.workspace = std::make_unique<Workspace>(&out.settings);
    std::string message;
    if (LoadWorkspaceFile(*out.workspace, source, &message) != 0 && !message.empty() &&
        out.workspace->CountProjects(true) == 0)
        return Failure(message);
    out.workspace->CollectProjects(out.projects);
    out.workspaceTitle = fs::path(source).stem().string();
    for (Project* project : out.projects) {
        if (Lower(project->name) != Lower(name)) continue;
        if (!project->stats || project->LoadStatistics() != 0)
            return Failure("cannot read the statistics of project " + project->name + " (" +
                           project->StatisticsPath() + "); build it first");
        if (project->stats->name.empty())
            project->stats->name = LastComponent(fs::path(project->directory));
        out.stats = project->stats.get();
        out.buildDate = project->lastBuild;
        out.developer = project->developer;
        // The developers table counts every project's figures, so load them all.
        for (Project* other : out.projects)
            if (other != project && other->stats && !other->statisticsLoaded)
                other->LoadStatistics();
        return 0;
    }
    return Failure("no project named '" + name + "' in " + source);
}

}  // namespace

ProjectSource::ProjectSource() = default;
ProjectSource::~ProjectSource() = default;

int LoadStatisticsFile(const std::string& path, const ScoringSettings& settings,
                       std::unique_ptr<ProjectStats>& out)
{
    out = std::make_unique<ProjectStats>(&settings);
    std::string reason;
    if (ReadStatisticsFile(*out, path, &reason) != 0)
        return Failure("cannot read statistics file " + path + ": " + reason);
    // The file sits in the project directory, whose name seeds the ground's noise.
    if (out->name.empty()) out->name = LastComponent(fs::absolute(path).parent_path());
    return 0;
}

int LoadProjectSource(const std::string& source, const std::string& project, ProjectSource& out)
{
    // The same settings file as the main program beside it: the snapshot
    // quality and the line count of the Line/Method colours come from there.
    std::error_code ec;
    const fs::path executable = fs::read_symlink("/proc/self/exe", ec);
    if (!ec) Load(out.settings, IniFile(SharedSettingsFilePath(executable.parent_path().string())));
    if (fs::is_directory(source, ec)) return FromDirectory(source, out);
    if (!fs::exists(source, ec)) return Failure("cannot open " + source);
    const std::string extension = Lower(fs::path(source).extension().string());
    if (extension == ".cbb") {
        if (const int status = LoadStatisticsFile(source, out.settings, out.own); status != 0)
            return status;
        out.stats = out.own.get();
        out.buildDate = FileTimeStamp(source);
        return 0;
    }
    if (extension == ".cbw") return FromWorkspace(source, project, out);
    out.usageError = "the source must be a directory, a .cbb or a .cbw file: " + source;
    return 2;
}

}  // namespace codeburg::cli
