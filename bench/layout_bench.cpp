// Times the city layout of synthetic projects: N files sharing M methods with
// a fixed random mix of sizes, parameters and comment lines.
//   layout_bench [--stages] [FILES METHODS]...   (default: a ladder up to 20000 200000)
// --stages times the steps of the layout one by one instead of BuildCity whole.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "city/city_layout.h"
#include "platform/ms_random.h"
#include "records/file_stats.h"
#include "records/project_stats.h"

using namespace codeburg;

namespace {

void MakeProject(ProjectStats& stats, int fileCount, int methodCount, uint32_t seed)
{
    MsRandom rng(seed);
    stats.name = "synthetic";
    for (int f = 0; f < fileCount; ++f) {
        auto file = std::make_unique<FileStats>("f" + std::to_string(f) + ".cpp", 25, 0x808080u);
        file->includes = rng.next() % 12;
        stats.files.push_back(std::move(file));
    }
    // Methods pile up in some files more than others, as in real trees.
    for (int m = 0; m < methodCount; ++m) {
        const int pick = rng.next() % fileCount;
        const int skew = (rng.next() % 4 == 0) ? rng.next() % std::max(1, fileCount / 50) : pick;
        FileStats& file = *stats.files[skew];
        file.AddMethod("C", "m" + std::to_string(m),
                       rng.next() % 8 == 0 ? rng.next() % 9 : rng.next() % 4);
        const int eloc = rng.next() % 10 == 0 ? rng.next() % 400 : rng.next() % 40;
        file.FinishMethod(eloc, rng.next() % (eloc / 3 + 2), rng.next() % 3,
                          rng.next() % (eloc / 4 + 2));
    }
    for (auto& file : stats.files) file->SortMethods();
    std::sort(stats.files.begin(), stats.files.end(),
              [](const auto& a, const auto& b) { return a->Volume() > b->Volume(); });
}

double CpuSeconds()
{
    return double(std::clock()) / CLOCKS_PER_SEC;
}

// The stages of BuildCity one by one through the public steps, to show
// where the time goes.
void RunStages(int files, int methods)
{
    ProjectStats stats(nullptr);
    MakeProject(stats, files, methods, 12345);
    double t = CpuSeconds();
    int64_t width = 0, height = 0;
    for (size_t i = 0; i < stats.files.size(); ++i) {
        PlaceMethods(*stats.files[i], static_cast<uint32_t>(i));
        width += stats.files[i]->cityGrid.width;
        height += stats.files[i]->cityGrid.height;
    }
    const double blocks = CpuSeconds() - t;
    t = CpuSeconds();
    int attempts = 0;
    do {
        width += width / 8 + 1, height += height / 8 + 1, ++attempts;
    } while (!TryLayout(stats, int32_t(width), int32_t(height), nullptr));
    const double layout = CpuSeconds() - t;
    t = CpuSeconds();
    PaintStreets(stats.cityGrid);
    MsRandom rng(777);
    AddLakes(stats.cityGrid, rng);
    const double rest = CpuSeconds() - t;
    std::printf(
        "%6d files %7d methods: blocks %.3f s, placement %.3f s (%d attempts, nominal "
        "%lld x %lld), streets and lakes %.3f s (cpu)\n",
        files, methods, blocks, layout, attempts, (long long)width, (long long)height, rest);
}

void Run(int files, int methods)
{
    ProjectStats stats(nullptr);
    MakeProject(stats, files, methods, 12345);
    stats.measures.overallScore = 0.9f;  // with lakes
    MsRandom rng(777);
    const auto start = std::chrono::steady_clock::now();
    const std::clock_t cpuStart = std::clock();
    const bool ok = BuildCity(stats, rng, nullptr);
    const double cpu = double(std::clock() - cpuStart) / CLOCKS_PER_SEC;
    const double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    // CPU time is the figure to compare: the machine may be shared.
    std::printf("%6d files %7d methods: %7.3f s cpu %7.3f s wall  city %d x %d%s\n", files, methods,
                cpu, wall, stats.cityGrid.width, stats.cityGrid.height, ok ? "" : "  (failed)");
}

}  // namespace

int main(int argc, char** argv)
{
    const bool stages = argc >= 2 && std::string(argv[1]) == "--stages";
    if (stages) --argc, ++argv;
    if (argc >= 3) {
        for (int i = 1; i + 1 < argc; i += 2) {
            const int files = std::atoi(argv[i]), methods = std::atoi(argv[i + 1]);
            stages ? RunStages(files, methods) : Run(files, methods);
        }
        return 0;
    }
    const std::pair<int, int> ladder[] = {
        {10, 100}, {100, 1000}, {1000, 10000}, {5000, 50000}, {20000, 200000}};
    for (const auto& [files, methods] : ladder)
        stages ? RunStages(files, methods) : Run(files, methods);
    return 0;
}
