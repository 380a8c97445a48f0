// Frame time of a big city under the software renderer, and the cost of a
// whole snapshot. Not a test: prints figures for a report.
//   cb_render_bench [--stats FILE.cbb | --synthetic FILES METHODS_PER_FILE]
//                   [--frames N] [--size WxH] [--out FILE.jpg]
// Without a source, a synthetic city of 500 files of 45 methods (22 500 buildings).

#include <epoxy/gl.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <string>
#include <vector>

#include "city/camera.h"
#include "city/city_geometry.h"
#include "city/ground_texture.h"
#include "city/picking.h"
#include "city/render/city_renderer.h"
#include "city/render/city_snapshot.h"
#include "city/render/offscreen_context.h"
#include "city/render/synthetic_city.h"
#include "pipeline/statistics_file.h"
#include "platform/ms_random.h"
#include "records/project_stats.h"

using namespace codeburg;

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::time_point from, Clock::time_point to)
{
    return std::chrono::duration<double, std::milli>(to - from).count();
}

// Processor time of all threads, llvmpipe's included: what the frame would
// cost on an idle machine, whatever else shares the cores now.
double CpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return t.tv_sec * 1000.0 + t.tv_nsec / 1e6;
}

double Percentile(std::vector<double> values, double p)
{
    if (values.empty()) return 0.0;
    std::sort(values.begin(), values.end());
    const size_t i = std::min(values.size() - 1, size_t(std::ceil(p * values.size())) - 1);
    return values[i];
}

// The one-minute load average, as uptime shows it.
std::string Load()
{
    std::ifstream in("/proc/loadavg");
    std::string one;
    in >> one;
    return one.empty() ? "?" : one;
}

struct Options {
    std::string statsFile;
    int files = 500, methods = 45;
    int frames = 60;
    int width = 1280, height = 720;
    std::string out = "/tmp/cb_render_bench.jpg";
};

bool Parse(int argc, char** argv, Options& o)
{
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool more = i + 1 < argc;
        if (arg == "--stats" && more) {
            o.statsFile = argv[++i];
        } else if (arg == "--synthetic" && i + 2 < argc) {
            o.files = std::atoi(argv[++i]);
            o.methods = std::atoi(argv[++i]);
        } else if (arg == "--frames" && more) {
            o.frames = std::max(1, std::atoi(argv[++i]));
        } else if (arg == "--size" && more) {
            if (std::sscanf(argv[++i], "%dx%d", &o.width, &o.height) != 2) return false;
        } else if (arg == "--out" && more) {
            o.out = argv[++i];
        } else {
            return false;
        }
    }
    return o.width > 0 && o.height > 0;
}

struct FrameTimes {
    std::vector<double> wall, cpu;
};

// Free movement: a walk across the city a little above the roofs of an
// ordinary method, looking ahead and a little down, picking under the cursor
// every frame as the view does.
FrameTimes Walk(const ProjectStats& stats, const CityGeometry& geometry, CityRenderer& renderer,
                const Options& o)
{
    const CityGrid& grid = stats.cityGrid;
    const Mat4 projection = CityProjection(grid.width, grid.height, stats.measures.maxMethodEloc);
    FrameTimes times;
    for (int f = 0; f < o.frames + 3; ++f) {
        Camera camera;
        camera.x = grid.width * (0.2f + 0.6f * f / o.frames);
        camera.z = grid.height * 0.3f;
        camera.y = 40.0f;
        camera.pitch = -0.35f;
        camera.yaw = -0.4f + 0.8f * f / o.frames;
        const auto start = Clock::now();
        const double cpuStart = CpuMs();
        const Mat4 view = ViewMatrix(camera);
        const PickResult pick = PickBuilding(
            geometry, PickRay(o.width / 2, o.height / 2, o.width, o.height, projection, view));
        renderer.setPicked(pick.box, pick.tower);
        renderer.render(o.width, o.height, view, projection);
        glFinish();
        if (f >= 3) {  // the first frames warm up
            times.wall.push_back(Ms(start, Clock::now()));
            times.cpu.push_back(CpuMs() - cpuStart);
        }
    }
    return times;
}

}  // namespace

int main(int argc, char** argv)
{
    Options o;
    if (!Parse(argc, argv, o)) {
        std::fprintf(stderr,
                     "usage: cb_render_bench [--stats FILE.cbb | --synthetic FILES METHODS] "
                     "[--frames N] [--size WxH] [--out FILE.jpg]\n");
        return 2;
    }
    std::printf("load before: %s\n", Load().c_str());
    ProjectStats stats(nullptr);
    if (!o.statsFile.empty()) {
        const auto start = Clock::now();
        if (ReadStatisticsFile(stats, o.statsFile) != 0) {
            std::fprintf(stderr, "cannot read %s\n", o.statsFile.c_str());
            return 1;
        }
        if (stats.name.empty()) stats.name = "project";
        std::printf("statistics file read in %.0f ms\n", Ms(start, Clock::now()));
    } else {
        MakeSyntheticCity(stats, o.files, o.methods, 42);
    }
    std::string error;
    auto context = OffscreenContext::Create(&error);
    if (!context) {
        std::fprintf(stderr, "no offscreen context: %s\n", error.c_str());
        return 1;
    }
    std::printf("renderer: %s\n", context->renderer().c_str());

    CityRenderer renderer;
    if (!renderer.initialize(&error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    // What showing a project costs before its first frame.
    const double cpu0 = CpuMs();
    const auto t0 = Clock::now();
    const CityGeometry geometry = BuildCityGeometry(stats, DisplayMode::Color);
    const auto t1 = Clock::now();
    MsRandom rng(ProjectSeed(stats));
    const GroundTexture ground =
        BuildGroundTexture(stats, rng, std::min(renderer.maxTextureSize(), 4096));
    const auto t2 = Clock::now();
    renderer.setCity(geometry, ground);
    glFinish();
    const auto t3 = Clock::now();
    const double cpuSetup = CpuMs() - cpu0;
    const CityGrid& grid = stats.cityGrid;
    std::printf("city: %d x %d cells, %zu boxes, %zu towers\n", grid.width, grid.height,
                geometry.boxes.size(), geometry.towers.size());
    std::printf(
        "building list %.0f ms, ground texture %.0f ms (%d x %d), upload %.0f ms "
        "(processor time of all three %.0f ms)\n",
        Ms(t0, t1), Ms(t1, t2), ground.width, ground.height, Ms(t2, t3), cpuSetup);

    OffscreenFramebuffer framebuffer;
    if (!framebuffer.create(o.width, o.height, &error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    const std::string loadBefore = Load();
    const FrameTimes times = Walk(stats, geometry, renderer, o);
    std::printf("free movement, %d x %d, %d frames (load %s .. %s):\n", o.width, o.height, o.frames,
                loadBefore.c_str(), Load().c_str());
    std::printf("  wall:      median %.1f ms, p95 %.1f ms\n", Percentile(times.wall, 0.5),
                Percentile(times.wall, 0.95));
    std::printf("  processor: median %.1f ms, p95 %.1f ms (all threads)\n",
                Percentile(times.cpu, 0.5), Percentile(times.cpu, 0.95));
    renderer.release();

    // A whole snapshot as the command-line tool takes it, in this context.
    const auto snapStart = Clock::now();
    SnapshotOptions options;
    options.width = o.width;
    options.height = o.height;
    options.creditLine = true;
    RgbImage image;
    SnapshotTimings timings;
    if (!RenderCitySnapshot(stats, options, image, &error, &timings)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    const auto jpegStart = Clock::now();
    if (!WriteJpeg(o.out, image, 75, &error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    const auto end = Clock::now();
    std::printf(
        "snapshot (map view): %.0f ms; setup %.0f, building list %.0f, ground %.0f, upload %.0f, "
        "render+read %.0f, credit line %.0f, jpeg %.0f (load %s)\n",
        Ms(snapStart, end), timings.setupMs, timings.buildingsMs, timings.groundMs,
        timings.uploadMs, timings.renderMs, timings.creditMs, Ms(jpegStart, end), Load().c_str());
    return 0;
}
