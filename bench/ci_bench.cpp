// Times what comes after loading two statistics files: the diff of the
// builds (with its JSON) and the findings of the newer one as SARIF.
// usage: ci_bench OLD.cbb NEW.cbb [runs]; prints the median of each step.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

#include "ci/build_diff.h"
#include "ci/report_formats.h"
#include "pipeline/statistics_file.h"
#include "records/project_stats.h"
#include "scoring/scoring_settings.h"

namespace {

double MedianSeconds(int runs, const std::function<size_t()>& step, size_t& size)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const auto start = std::chrono::steady_clock::now();
        size = step();
        times.push_back(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

}  // namespace

int main(int argc, char** argv)
{
    using namespace codeburg;
    if (argc < 3) {
        std::fprintf(stderr, "usage: ci_bench OLD.cbb NEW.cbb [runs]\n");
        return 2;
    }
    const int runs = argc > 3 ? std::max(1, std::atoi(argv[3])) : 5;
    ScoringSettings settings;
    ProjectStats oldStats(&settings), newStats(&settings);
    const auto start = std::chrono::steady_clock::now();
    if (ReadStatisticsFile(oldStats, argv[1]) != 0 || ReadStatisticsFile(newStats, argv[2]) != 0) {
        std::fprintf(stderr, "ci_bench: cannot read the statistics files\n");
        return 1;
    }
    const double load =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    size_t methods = 0;
    for (const auto& file : newStats.files) methods += file->methods.size();
    std::printf("loaded %zu files, %zu methods in %.2f s\n", newStats.files.size(), methods, load);

    size_t size = 0;
    const double diff = MedianSeconds(
        runs, [&] { return DiffJson(DiffBuilds(oldStats, newStats)).size(); }, size);
    std::printf("diff + JSON      %.3f s (%zu bytes)\n", diff, size);
    const double sarif = MedianSeconds(
        runs,
        [&] {
            FindingsReport input;
            input.stats = &newStats;
            input.findings = FindFindings(newStats, FindingLimits{});
            return SarifReport(input).size();
        },
        size);
    std::printf("findings + SARIF %.3f s (%zu bytes)\n", sarif, size);
    return 0;
}
