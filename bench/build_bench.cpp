// Times a whole project build over a directory, stage by stage:
//   build_bench DIR [--ext LIST] [--exclude-dirs LIST] [--sequential] [--runs N] [--threads N]
//               [--gaps]
// Every stage runs warm (one untimed build first); the figures are medians.
// --gaps adds one build through the pipeline with a progress sink and prints
// the longest interval between its calls, which bounds a window's repaints.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "city/city_layout.h"
#include "pipeline/build_pipeline.h"
#include "pipeline/statistics_file.h"
#include "platform/ms_random.h"
#include "platform/path_util.h"
#include "records/build_progress_sink.h"
#include "records/project_stats.h"
#include "scoring/scoring_settings.h"

using namespace codeburg;

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point from)
{
    return std::chrono::duration<double>(Clock::now() - from).count();
}

struct StageTimes {
    double walk = 0, scan = 0, city = 0, measures = 0, save = 0;
    double total() const { return scan + city + measures + save; }
};

// One build by the pipeline's own steps, so each can be timed: the counting
// walk alone, then walk + scan (scan = that minus the walk), city, measures, save.
StageTimes BuildOnce(ProjectStats& stats, const std::string& dir, const BuildOptions& options,
                     const std::string& out)
{
    StageTimes t;
    auto start = Clock::now();
    int count = 0;
    WalkDirectory(stats, dir, &count, nullptr, options);
    t.walk = Seconds(start);

    start = Clock::now();
    stats.directory = dir;
    stats.name = LastPathComponent(dir);
    MsRandom rng(NameSeed(stats.name));
    stats.ClearFiles();
    WalkDirectory(stats, dir, nullptr, &rng, options);
    t.scan = Seconds(start) - t.walk;

    start = Clock::now();
    LayOutCity(stats, rng, nullptr, options);
    t.city = Seconds(start);

    start = Clock::now();
    stats.ComputeMeasures(false);
    t.measures = Seconds(start);

    start = Clock::now();
    WriteStatisticsFile(stats, out);
    t.save = Seconds(start);
    return t;
}

// Times the intervals between a build's progress calls: a window repaints
// only when one comes, so the longest interval bounds how long it can freeze.
class GapSink : public BuildProgressSink {
public:
    void Status(const std::string& name, const std::string& verb) override
    {
        Mark(verb + " " + name);
    }
    void FileStep(const std::string& name) override { Mark("file step " + name); }
    void AddRange(int) override {}
    int Position() override { return 0; }
    void KeepAlive() override { Mark(m_last + " (still)"); }

    void Start() { m_previous = Clock::now(); }
    void Print() const
    {
        std::printf(
            "progress calls %lld, longest interval %.1f ms (ending at \"%s\"), "
            "%lld over 60 ms, %lld over 100 ms\n",
            m_calls, m_longest * 1e3, m_longestAt.c_str(), m_over60, m_over100);
    }

private:
    void Mark(const std::string& what)
    {
        const auto now = Clock::now();
        const double gap = std::chrono::duration<double>(now - m_previous).count();
        m_previous = now;
        ++m_calls;
        if (gap > 0.060) {
            ++m_over60;
            std::printf("  %.0f ms from \"%s\" to \"%s\"\n", gap * 1e3, m_lastFull.c_str(),
                        what.c_str());
        }
        if (gap > 0.100) ++m_over100;
        if (gap > m_longest) m_longest = gap, m_longestAt = what;
        m_last = what.substr(0, what.find(" (still)"));
        m_lastFull = what;
    }

    Clock::time_point m_previous;
    double m_longest = 0;
    std::string m_longestAt, m_last, m_lastFull;
    long long m_calls = 0, m_over60 = 0, m_over100 = 0;
};

// The bytes of the files the walk scans, found by the same filters (untimed).
long long MatchingBytes(const ProjectStats& stats, const std::string& dir)
{
    namespace fs = std::filesystem;
    long long bytes = 0;
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(dir, ec); !ec && it != fs::end(it);
         it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.front() == '.' || (it->is_directory() && MatchesList(name, stats.excludedDirs))) {
            if (it->is_directory()) it.disable_recursion_pending();
            continue;
        }
        if (!it->is_regular_file() || MatchesList(name, stats.excludedFiles)) continue;
        const size_t dot = name.rfind('.');
        if (dot == std::string::npos || !MatchesList(name.substr(dot + 1), stats.extensions))
            continue;
        bytes += static_cast<long long>(it->file_size(ec));
    }
    return bytes;
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr,
                     "usage: build_bench DIR [--ext LIST] [--exclude-dirs LIST] "
                     "[--sequential] [--runs N] [--threads N] [--gaps]\n");
        return 2;
    }
    std::string dir = argv[1];
    while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
    ScoringSettings settings;
    ProjectStats stats(&settings);
    stats.excludedFiles = "stdafx.cpp";
    BuildOptions options;
    int runs = 3;
    bool gaps = false;
    for (int i = 2; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--sequential")
            options.parallel = false;
        else if (a == "--ext" && i + 1 < argc)
            stats.extensions = argv[++i];
        else if (a == "--exclude-dirs" && i + 1 < argc)
            stats.excludedDirs = argv[++i];
        else if (a == "--runs" && i + 1 < argc)
            runs = std::max(1, std::atoi(argv[++i]));
        else if (a == "--threads" && i + 1 < argc)
            options.threads = std::atoi(argv[++i]);
        else if (a == "--gaps")
            gaps = true;
    }
    const std::string out = "/tmp/build_bench_" + std::to_string(getpid()) + ".cbb";

    BuildOnce(stats, dir, options, out);  // warm the cache
    long long lines = 0, methods = 0;
    for (const auto& f : stats.files) {
        lines += f->lines;
        methods += f->MethodCount();
    }
    const long long bytes = MatchingBytes(stats, dir);

    std::vector<StageTimes> samples;
    for (int r = 0; r < runs; ++r) samples.push_back(BuildOnce(stats, dir, options, out));
    auto median = [&](double StageTimes::*field) {
        std::vector<double> v;
        for (const auto& s : samples) v.push_back(s.*field);
        return Median(v);
    };
    std::vector<double> totals;
    for (const auto& s : samples) totals.push_back(s.total());
    const double total = Median(totals);
    struct stat st;
    const long long saved = stat(out.c_str(), &st) == 0 ? st.st_size : 0;
    std::remove(out.c_str());

    std::printf("%s (%s scan, %d runs, median)\n", dir.c_str(),
                options.parallel ? "parallel" : "sequential", runs);
    std::printf("files %zu, lines %lld, methods %lld, city %d x %d, .cbb %lld bytes\n",
                stats.files.size(), lines, methods, stats.cityGrid.width, stats.cityGrid.height,
                saved);
    std::printf("build %.3f s: %.0f files/s", total, stats.files.size() / total);
    if (bytes > 0) std::printf(", %.1f MB/s (%.1f MB)", bytes / 1e6 / total, bytes / 1e6);
    std::printf("\n");
    const double walk = median(&StageTimes::walk), scan = median(&StageTimes::scan),
                 city = median(&StageTimes::city), meas = median(&StageTimes::measures),
                 save = median(&StageTimes::save);
    std::printf("  walk      %8.3f s %5.1f %%  (a counting walk; the build walks once)\n", walk,
                100 * walk / total);
    std::printf("  scan      %8.3f s %5.1f %%  (the scanning walk less a counting walk)\n", scan,
                100 * scan / total);
    std::printf("  city      %8.3f s %5.1f %%\n", city, 100 * city / total);
    std::printf("  measures  %8.3f s %5.1f %%\n", meas, 100 * meas / total);
    std::printf("  save      %8.3f s %5.1f %%\n", save, 100 * save / total);

    if (gaps) {
        // One more build the way the window runs it: the pipeline with a sink.
        GapSink sink;
        stats.progressSink = &sink;
        sink.Start();
        EvaluateProject(stats, dir, &sink, options);
        WriteStatisticsFile(stats, out);
        stats.progressSink = nullptr;
        std::remove(out.c_str());
        sink.Print();
    }
    return 0;
}
