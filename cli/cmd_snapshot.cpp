#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/project_stats.h"
#include "city/viewpoint.h"
#include "cli/commands.h"
#include "platform/ini_file.h"
#include "scoring/scoring_settings.h"

#if CODEBURG_HAVE_RENDER
#include "city/render/city_snapshot.h"
#include "city/render/offscreen_context.h"
#endif
#if CODEBURG_HAVE_PIPELINE
#include "analysis/build_pipeline.h"
#endif
#if __has_include("analysis/statistics_file.h")
#include "analysis/statistics_file.h"
#define CODEBURG_HAVE_STATISTICS_FILE 1
#endif
#if __has_include("workspace/workspace_file.h") && __has_include("workspace/workspace.h")
#include "workspace/project.h"
#include "workspace/workspace.h"
#include "workspace/workspace_file.h"
#define CODEBURG_HAVE_WORKSPACE_FILE 1
#endif

namespace codeburg::cli {

namespace {

namespace fs = std::filesystem;

constexpr const char* kUsage =
    "usage: codeburg-cli snapshot (DIR | FILE.cbb | FILE.cbw --project NAME) OUT.jpg\n"
    "           [--size WxH] [--mode 0..3] [--viewpoint X,Y,Z,PITCH,YAW | --map] [--quality Q]\n";

struct Arguments {
    std::string source;
    std::string output;
    std::string project;
    int width = 1280;
    int height = 720;
    int mode = 0;
    std::optional<int> quality;
    std::optional<std::string> viewpoint;
    bool map = false;
};

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

std::optional<int> ParseInt(std::string_view text, int low, int high)
{
    int value = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    if (result.ec != std::errc() || result.ptr != text.data() + text.size()) return std::nullopt;
    if (value < low || value > high) return std::nullopt;
    return value;
}

// Returns 0 and fills "args", or the exit status of a usage error.
int ParseArguments(int argc, char** argv, Arguments& args)
{
    std::vector<std::string> positional;
    for (int i = 0; i < argc; ++i) {
        const std::string_view arg = argv[i];
        auto value = [&]() -> const char* { return i + 1 < argc ? argv[++i] : nullptr; };
        if (arg == "--help" || arg == "-h") {
            std::fputs(kUsage, stdout);
            return -1;
        } else if (arg == "--project") {
            const char* v = value();
            if (!v) return UsageError("--project needs a project name");
            args.project = v;
        } else if (arg == "--size") {
            const char* v = value();
            const std::string_view text = v ? v : "";
            const size_t x = text.find_first_of("xX");
            const auto w = x == text.npos ? std::nullopt : ParseInt(text.substr(0, x), 1, 16384);
            const auto h = x == text.npos ? std::nullopt : ParseInt(text.substr(x + 1), 1, 16384);
            if (!w || !h)
                return UsageError("--size needs WIDTHxHEIGHT, each 1 to 16384, e.g. 1280x720");
            args.width = *w;
            args.height = *h;
        } else if (arg == "--mode") {
            const char* v = value();
            const auto mode = v ? ParseInt(v, 0, 3) : std::nullopt;
            if (!mode) return UsageError("--mode needs a display mode from 0 to 3");
            args.mode = *mode;
        } else if (arg == "--quality") {
            const char* v = value();
            const auto quality = v ? ParseInt(v, 1, 100) : std::nullopt;
            if (!quality) return UsageError("--quality needs a JPEG quality from 1 to 100");
            args.quality = *quality;
        } else if (arg == "--viewpoint") {
            const char* v = value();
            if (!v) return UsageError("--viewpoint needs a text X,Y,Z,PITCH,YAW");
            args.viewpoint = v;
        } else if (arg == "--map") {
            args.map = true;
        } else if (arg.size() > 1 && arg[0] == '-' && !fs::exists(std::string(arg))) {
            return UsageError("unknown option '" + std::string(arg) + "'");
        } else {
            positional.emplace_back(arg);
        }
    }
    if (positional.size() != 2) return UsageError("snapshot needs a source and an output file");
    args.source = positional[0];
    args.output = positional[1];
    if (args.map && args.viewpoint) return UsageError("--viewpoint and --map exclude each other");
    if (args.viewpoint && !ParseViewpoint(*args.viewpoint))
        return UsageError("invalid viewpoint '" + *args.viewpoint +
                          "': expected five numbers X,Y,Z,PITCH,YAW");
    return 0;
}

std::string Lower(std::string text)
{
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// The last component of a directory path, ignoring a trailing separator.
[[maybe_unused]] std::string LastComponent(const fs::path& directory)
{
    fs::path p = directory;
    if (!p.has_filename()) p = p.parent_path();
    return p.filename().string();
}

int LoadFromDirectory(const Arguments& args, ProjectStats& stats)
{
#if CODEBURG_HAVE_PIPELINE
    stats.directory = args.source;
    stats.name = LastComponent(fs::absolute(args.source));
    if (EvaluateProject(stats, args.source, nullptr) != 0)
        return Failure("no source files found in " + args.source);
    return 0;
#else
    (void)stats;
    return Failure("cannot build " + args.source +
                   ": this build of codeburg-cli has no project scanner; "
                   "snapshot a .cbb statistics file instead");
#endif
}

int LoadFromStatisticsFile(const Arguments& args, ProjectStats& stats)
{
#if CODEBURG_HAVE_STATISTICS_FILE
    if (ReadStatisticsFile(stats, args.source) != 0)
        return Failure("cannot read statistics file " + args.source);
    // The file sits in the project directory, whose name seeds the ground's noise.
    if (stats.name.empty()) stats.name = LastComponent(fs::absolute(args.source).parent_path());
    return 0;
#else
    (void)stats;
    return Failure("cannot read " + args.source +
                   ": this build of codeburg-cli has no statistics file reader");
#endif
}

#if CODEBURG_HAVE_WORKSPACE_FILE
int SnapshotFromWorkspace(const Arguments& args, const ScoringSettings& settings,
                          int (*render)(const Arguments&, const ProjectStats&))
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
#endif

int Render(const Arguments& args, const ProjectStats& stats)
{
#if CODEBURG_HAVE_RENDER
    const auto start = std::chrono::steady_clock::now();
    std::string error;
    auto context = OffscreenContext::Create(&error);
    if (!context) return Failure("cannot create an offscreen OpenGL context: " + error);
    SnapshotOptions options;
    options.width = args.width;
    options.height = args.height;
    options.mode = args.mode;
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
    Arguments args;
    if (const int status = ParseArguments(argc, argv, args); status != 0)
        return status < 0 ? 0 : status;
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
#if CODEBURG_HAVE_WORKSPACE_FILE
        return SnapshotFromWorkspace(args, settings, Render);
#else
        return Failure("cannot read " + args.source +
                       ": this build of codeburg-cli has no workspace reader");
#endif
    }
    return UsageError("the source must be a directory, a .cbb or a .cbw file: " + args.source);
}

}  // namespace codeburg::cli
