// Frame time of a big city under the software renderer, and the cost of a
// whole snapshot. Not a test: prints figures for a report.
//   cb_render_bench [FILES METHODS_PER_FILE [FRAMES [WIDTH HEIGHT]]]

#include <epoxy/gl.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "analysis/project_stats.h"
#include "city/camera.h"
#include "city/city_geometry.h"
#include "city/ground_texture.h"
#include "city/picking.h"
#include "city/render/city_renderer.h"
#include "city/render/city_snapshot.h"
#include "city/render/offscreen_context.h"
#include "city/render/synthetic_city.h"
#include "platform/ms_random.h"

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
    std::sort(values.begin(), values.end());
    const size_t i = std::min(values.size() - 1, size_t(std::ceil(p * values.size())) - 1);
    return values[i];
}

}  // namespace

int main(int argc, char** argv)
{
    const int files = argc > 2 ? std::atoi(argv[1]) : 500;
    const int methods = argc > 2 ? std::atoi(argv[2]) : 45;
    const int frames = argc > 3 ? std::atoi(argv[3]) : 60;
    const int width = argc > 4 ? std::atoi(argv[4]) : 1280;
    const int height = argc > 5 ? std::atoi(argv[5]) : 720;

    ProjectStats stats(nullptr);
    MakeSyntheticCity(stats, files, methods, 42);
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
    double cpu0 = CpuMs();
    auto t0 = Clock::now();
    const CityGeometry geometry = BuildCityGeometry(stats, 0);
    auto t1 = Clock::now();
    MsRandom rng(ProjectSeed(stats));
    const GroundTexture ground =
        BuildGroundTexture(stats, rng, std::min(renderer.maxTextureSize(), 4096));
    auto t2 = Clock::now();
    renderer.setCity(geometry, ground);
    glFinish();
    auto t3 = Clock::now();
    const double cpuSetup = CpuMs() - cpu0;
    const CityGrid& grid = stats.cityGrid;
    std::printf("city: %d x %d cells, %zu boxes, %zu towers\n", grid.width, grid.height,
                geometry.boxes.size(), geometry.towers.size());
    std::printf("building list %.1f ms, ground texture %.1f ms (%d x %d), upload %.1f ms\n",
                Ms(t0, t1), Ms(t1, t2), ground.width, ground.height, Ms(t2, t3));
    std::printf("  (processor time for all three: %.0f ms)\n", cpuSetup);

    OffscreenFramebuffer framebuffer;
    if (!framebuffer.create(width, height, &error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    const Mat4 projection = CityProjection(grid.width, grid.height, stats.measures.maxMethodEloc);
    // Free movement: a walk across the city at roof height, looking ahead and
    // a little down, picking under the cursor every frame as the view does.
    std::vector<double> times, cpuTimes;
    for (int f = 0; f < frames + 3; ++f) {
        Camera camera;
        camera.x = grid.width * (0.2f + 0.6f * f / frames);
        camera.z = grid.height * 0.3f;
        camera.y = 40.0f;
        camera.pitch = -0.35f;
        camera.yaw = -0.4f + 0.8f * f / frames;
        const auto start = Clock::now();
        const double cpuStart = CpuMs();
        const Mat4 view = ViewMatrix(camera);
        const PickResult pick =
            PickBuilding(geometry, PickRay(width / 2, height / 2, width, height, projection, view));
        renderer.setPicked(pick.box, pick.tower);
        renderer.render(width, height, view, projection);
        glFinish();
        if (f >= 3) {  // the first frames warm up
            times.push_back(Ms(start, Clock::now()));
            cpuTimes.push_back(CpuMs() - cpuStart);
        }
    }
    std::printf("frame %d x %d over %d frames: median %.1f ms, p95 %.1f ms\n", width, height,
                frames, Percentile(times, 0.5), Percentile(times, 0.95));
    std::printf("processor time per frame, all threads: median %.1f ms, p95 %.1f ms\n",
                Percentile(cpuTimes, 0.5), Percentile(cpuTimes, 0.95));
    renderer.release();

    const auto snapStart = Clock::now();
    SnapshotOptions options;
    RgbImage image;
    SnapshotTimings timings;
    if (!RenderCitySnapshot(stats, options, image, &error, &timings) ||
        !WriteJpeg("/tmp/cb_render_bench.jpg", image, 75, &error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    std::printf(
        "snapshot (map view, same context): %.0f ms total; geometry %.0f, upload %.0f, "
        "render+read %.0f\n",
        Ms(snapStart, Clock::now()), timings.geometryMs, timings.uploadMs, timings.renderMs);
    return 0;
}
