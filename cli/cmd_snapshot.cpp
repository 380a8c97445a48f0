#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "city/viewpoint.h"
#include "cli/cli_args.h"
#include "cli/commands.h"
#include "pipeline/build_pipeline.h"
#include "pipeline/statistics_file.h"
#include "platform/ini_file.h"
#include "records/project_stats.h"
#include "scoring/scoring_settings.h"
#include "workspace/project.h"
#include "workspace/project_build.h"
#include "workspace/workspace.h"
#include "workspace/workspace_file.h"

#if CODEBURG_HAVE_RENDER
#include "city/render/city_snapshot.h"
#include "city/render/offscreen_context.h"
#endif

namespace codeburg::cli {

namespace {

namespace fs = std::filesystem;

constexpr const char* kUsage =
    "usage: codeburg-cli snapshot (DIR | FILE.cbb | FILE.cbw --project NAME) OUT.jpg\n"
    "           [--size WxH] [--mode 0..3] [--viewpoint X,Y,Z,PITCH,YAW | --map] [--quality Q]\n";

int UsageError(const std::string& message)
{
    std::fprintf(stderr, "codeburg-cli: %s\n%s", message.c_str(), kUsage);
    return 2;
}

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

int LoadFromDirectory(const SnapshotArgs& args, ProjectStats& stats)
{
    if (IsRootDirectory(args.source)) return Failure(RootDirectoryMessage(args.source));
    stats.directory = args.source;
    stats.name = LastComponent(fs::absolute(args.source));
    if (EvaluateProject(stats, args.source, nullptr) != 0)
        return Failure("no source files found in " + args.source);
    return 0;
}

int LoadFromStatisticsFile(const SnapshotArgs& args, ProjectStats& stats)
{
    std::string reason;
    if (ReadStatisticsFile(stats, args.source, &reason) != 0)
        return Failure("cannot read statistics file " + args.source + ": " + reason);
    // The file sits in the project directory, whose name seeds the ground's noise.
    if (stats.name.empty()) stats.name = LastComponent(fs::absolute(args.source).parent_path());
    return 0;
}

int SnapshotFromWorkspace(const SnapshotArgs& args, const ScoringSettings& settings,
                          int (*render)(const SnapshotArgs&, const ProjectStats&))
{
    if (args.project.empty())
        return UsageError("a workspace file needs --project NAME to choose the project");
    Workspace workspace(&settings);
    std::string message;
    if (LoadWorkspaceFile(workspace, args.source, &message) != 0 && !message.empty() &&
        workspace.CountProjects(true) == 0)
        return Failure(message);
    std::vector<Project*> projects;
    workspace.CollectProjects(projects);
    for (Project* project : projects) {
        if (Lower(project->name) != Lower(args.project)) continue;
        if (!project->stats || project->LoadStatistics() != 0)
            return Failure("cannot read the statistics of project " + project->name + " (" +
                           project->StatisticsPath() + "); build it first");
        if (project->stats->name.empty())
            project->stats->name = LastComponent(fs::path(project->directory));
        return render(args, *project->stats);
    }
    return Failure("no project named '" + args.project + "' in " + args.source);
}

int Render(const SnapshotArgs& args, const ProjectStats& stats)
{
#if CODEBURG_HAVE_RENDER
    const auto start = std::chrono::steady_clock::now();
    std::string error;
    auto context = OffscreenContext::Create(&error);
    if (!context) return Failure("cannot create an offscreen OpenGL context: " + error);
    SnapshotOptions options;
    options.width = args.width;
    options.height = args.height;
    options.mode = static_cast<DisplayMode>(args.mode);  // 0..3, checked by the parser
    options.creditLine = true;
    if (args.viewpoint) options.camera = ParseViewpoint(*args.viewpoint);
    RgbImage image;
    SnapshotTimings timings;
    if (!RenderCitySnapshot(stats, options, image, &error, &timings)) return Failure(error);
    const int quality = args.quality.value_or(stats.settings ? stats.settings->snapshotQuality
                                                             : ScoringSettings::kDefaultQuality);
    if (!WriteJpeg(args.output, image, quality, &error)) return Failure(error);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("%s: %d x %d, %s, %d buildings, %.2f s\n", args.output.c_str(), image.width,
                image.height, args.viewpoint ? "viewpoint" : "map view", timings.buildings,
                seconds);
    return 0;
#else
    (void)args;
    (void)stats;
    return Failure("this build of codeburg-cli cannot render: it was built without OpenGL");
#endif
}

}  // namespace

int RunSnapshot(int argc, char** argv)
{
    // An argument that starts with '-' may still name a file.
    const Parsed<SnapshotArgs> parsed =
        ParseSnapshotArgs(ToArgList(argc, argv), [](const std::string& name) {
            std::error_code ec;
            return fs::exists(name, ec);
        });
    if (!parsed.ok()) return UsageError(parsed.error);
    const SnapshotArgs& args = parsed.options;
    if (args.help) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    // The same settings file as the main program beside it: the snapshot
    // quality and the line count of the Line/Method colours come from there.
    ScoringSettings settings;
    std::error_code ec;
    const fs::path executable = fs::read_symlink("/proc/self/exe", ec);
    if (!ec) Load(settings, IniFile(SharedSettingsFilePath(executable.parent_path().string())));
    if (fs::is_directory(args.source, ec)) {
        ProjectStats stats(&settings);
        if (const int status = LoadFromDirectory(args, stats); status != 0) return status;
        return Render(args, stats);
    }
    if (!fs::exists(args.source, ec)) return Failure("cannot open " + args.source);
    const std::string extension = Lower(fs::path(args.source).extension().string());
    if (extension == ".cbb") {
        ProjectStats stats(&settings);
        if (const int status = LoadFromStatisticsFile(args, stats); status != 0) return status;
        return Render(args, stats);
    }
    if (extension == ".cbw") {
        return SnapshotFromWorkspace(args, settings, Render);
    }
    return UsageError("the source must be a directory, a .cbb or a .cbw file: " + args.source);
}

}  // namespace codeburg::cli
