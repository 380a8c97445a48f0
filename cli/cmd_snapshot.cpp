#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "city/city_geometry.h"
#include "city/viewpoint.h"
#include "cli/cli_args.h"
#include "cli/commands.h"
#include "cli/comparison.h"
#include "cli/project_source.h"
#include "cli/snapshot_picture.h"
#include "records/project_stats.h"
#include "report/city_framing.h"
#include "scoring/scoring_settings.h"

#if CODEBURG_HAVE_RENDER
#include "city/render/jpeg_writer.h"
#endif

namespace codeburg::cli {

namespace {

namespace fs = std::filesystem;

constexpr const char* kUsage =
    "usage: codeburg-cli snapshot (DIR | FILE.cbb | FILE.cbw --project NAME) OUT.jpg\n"
    "           [--size WxH] [--mode 0..3] [--quality Q] [--no-legend] [--compare OLD.cbb]\n"
    "           [--view overview|map|classic-map | --viewpoint X,Y,Z,PITCH,YAW]\n";

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

const char* ViewName(const SnapshotArgs& args)
{
    if (args.viewpoint) return "viewpoint";
    switch (args.view) {
        case SnapshotView::Overview:
            return "overview";
        case SnapshotView::Map:
            return "framed map";
        case SnapshotView::ClassicMap:
            break;
    }
    return "map view";
}

int Render(const SnapshotArgs& args, const ProjectSource& source, const Comparison* comparison)
{
#if CODEBURG_HAVE_RENDER
    const auto start = std::chrono::steady_clock::now();
    PictureRequest request;
    request.width = args.width;
    request.height = args.height;
    request.mode = static_cast<DisplayMode>(args.mode);  // 0..3, checked by the parser
    request.view = args.view;
    if (args.viewpoint) request.viewpoint = ParseViewpoint(*args.viewpoint);
    request.legend = args.legend;
    request.buildDate = source.buildDate;
    const ProjectStats& stats = *source.stats;
    CityGeometry changeGeometry;
    if (comparison) {
        changeGeometry = ChangeGeometry(stats, *comparison);
        request.geometry = &changeGeometry;
        request.legendFacts = ChangeLegend(stats, *comparison, source.buildDate);
    }
    RgbImage image;
    int32_t buildings = 0;
    std::string error;
    PictureTaker taker;
    if (!taker.take(stats, request, image, &buildings, &error)) return Failure(error);
    const int quality = args.quality.value_or(stats.settings ? stats.settings->snapshotQuality
                                                             : ScoringSettings::kDefaultQuality);
    if (!WriteJpeg(args.output, image, quality, &error)) return Failure(error);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("%s: %d x %d, %s, %d buildings, %.2f s\n", args.output.c_str(), image.width,
                image.height, ViewName(args), buildings, seconds);
    return 0;
#else
    (void)args, (void)source, (void)comparison;
    return Failure(kNoRendererMessage);
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
    ProjectSource source;
    if (const int status = LoadProjectSource(args.source, args.project, source); status != 0)
        return status == 2 ? UsageError(source.usageError) : status;
    Comparison comparison;
    if (args.compare)
        if (const int status = LoadComparison(*args.compare, source, comparison); status != 0)
            return status;
    return Render(args, source, args.compare ? &comparison : nullptr);
}

}  // namespace codeburg::cli
