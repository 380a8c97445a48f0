#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

#include "city/city_geometry.h"
#include "cli/cli_args.h"
#include "cli/commands.h"
#include "cli/comparison.h"
#include "cli/project_source.h"
#include "cli/snapshot_picture.h"
#include "records/project_stats.h"
#include "report/html_report.h"
#include "scoring/scoring_settings.h"
#include "workspace/developer_records.h"

#if CODEBURG_HAVE_RENDER
#include "city/render/jpeg_writer.h"
#endif

namespace codeburg::cli {

namespace {

namespace fs = std::filesystem;

constexpr const char* kUsage =
    "usage: codeburg-cli report (DIR | FILE.cbb | FILE.cbw --project NAME) OUT.html "
    "[--mode 0..3]\n"
    "           [--compare OLD.cbb]\n";

int UsageError(const std::string& message)
{
    std::fprintf(stderr, "codeburg-cli: %s\n%s", message.c_str(), kUsage);
    return 2;
}

// The overview and the map, as the snapshot command takes them by default.
// A report without pictures is still a report: the reason goes in their place.
void AddPictures(const ProjectSource& source, DisplayMode mode, const Comparison* comparison,
                 ReportInput& input)
{
#if CODEBURG_HAVE_RENDER
    const ProjectStats& stats = *source.stats;
    const int quality =
        stats.settings ? stats.settings->snapshotQuality : ScoringSettings::kDefaultQuality;
    PictureRequest requests[2];
    const char* captions[3] = {"", "Overview", "Map"};
    requests[0].view = SnapshotView::Overview;
    requests[1].view = SnapshotView::Map;
    for (PictureRequest& request : requests) {
        request.mode = mode;
        request.buildDate = source.buildDate;
    }
    PictureTaker taker;
    std::vector<RgbImage> images;
    std::string error;
    bool ok = taker.takeSeveral(stats, requests, images, nullptr, &error);
    // The changes get an overview of their own, coloured by them.
    CityGeometry changeGeometry;
    if (ok && comparison) {
        changeGeometry = ChangeGeometry(stats, *comparison);
        PictureRequest& changes = requests[0];
        changes.geometry = &changeGeometry;
        changes.legendFacts = ChangeLegend(stats, *comparison, source.buildDate);
        captions[0] = "Changes";
        RgbImage image;
        ok = taker.take(stats, changes, image, nullptr, &error);
        images.insert(images.begin(), std::move(image));
    }
    const char* const* names = comparison ? captions : captions + 1;
    for (size_t i = 0; ok && i < images.size(); ++i) {
        ReportPicture& picture = input.pictures.emplace_back();
        picture.caption = names[i];
        picture.width = images[i].width;
        picture.height = images[i].height;
        ok = EncodeJpeg(images[i], quality, picture.jpeg, &error);
    }
    if (!ok) {
        input.pictures.clear();
        input.picturesMissing = "No pictures of the city: " + error + ".";
        std::fprintf(stderr, "codeburg-cli: warning: the report has no pictures: %s\n",
                     error.c_str());
    }
#else
    (void)source, (void)mode, (void)comparison;
    input.picturesMissing = std::string("No pictures of the city: ") + kNoRendererMessage + ".";
#endif
}

}  // namespace

int RunReport(int argc, char** argv)
{
    const auto start = std::chrono::steady_clock::now();
    const Parsed<OutputArgs> parsed =
        ParseOutputArgs("report", ToArgList(argc, argv), [](const std::string& name) {
            std::error_code ec;
            return fs::exists(name, ec);
        });
    if (!parsed.ok()) return UsageError(parsed.error);
    const OutputArgs& args = parsed.options;
    if (args.help) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    ProjectSource source;
    if (const int status = LoadProjectSource(args.source, args.project, source); status != 0)
        return status == 2 ? UsageError(source.usageError) : status;
    ReportInput input;
    input.stats = source.stats;
    input.developer = source.developer;
    input.buildDate = source.buildDate;
    if (source.workspace) {
        input.workspaceTitle = source.workspaceTitle;
        input.workspaceProjects = static_cast<int32_t>(source.projects.size());
        input.developers = CollectDevelopers(source.projects);
    }
    Comparison comparison;
    ReportComparison changes;
    if (args.compare) {
        if (const int status = LoadComparison(*args.compare, source, comparison); status != 0)
            return status;
        changes = ReportOf(comparison);
        input.comparison = &changes;
    }
    AddPictures(source, static_cast<DisplayMode>(args.mode), args.compare ? &comparison : nullptr,
                input);
    std::string error;
    if (WriteHtmlReport(args.output, input, &error) != 0) {
        std::fprintf(stderr, "codeburg-cli: cannot write %s: %s\n", args.output.c_str(),
                     error.c_str());
        return 1;
    }
    std::error_code ec;
    const auto bytes = fs::file_size(args.output, ec);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("%s: %zu files, %d methods, %zu pictures, %llu bytes, %.2f s\n",
                args.output.c_str(), source.stats->files.size(),
                source.stats->measures.totalMethods, input.pictures.size(),
                static_cast<unsigned long long>(ec ? 0 : bytes), seconds);
    return 0;
}

}  // namespace codeburg::cli
