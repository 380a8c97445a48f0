// Measures the scanner alone (read + tokenise + classify, no output) over every
// matching file under a directory, with a warm cache:
//   scan_bench DIR [--ext LIST] [--runs N] [--threads N] [--in-memory]
//              [--methods classic|modern|both]
// "both" times the two rules in the same run, interleaved, and prints the ratio.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "analysis/source_scanner.h"
#include "platform/path_util.h"
#include "records/file_stats.h"

namespace {

using namespace codeburg;

std::vector<std::string> SplitList(const std::string& list)
{
    std::vector<std::string> items;
    size_t start = 0;
    while (start <= list.size()) {
        const size_t comma = std::min(list.find(',', start), list.size());
        std::string item = ToLowerAscii(list.substr(start, comma - start));
        if (!item.empty() && item[0] == '.') item.erase(0, 1);
        if (!item.empty()) items.push_back(item);
        start = comma + 1;
    }
    return items;
}

bool Matches(const std::filesystem::path& path, const std::vector<std::string>& extensions)
{
    std::string ext = ToLowerAscii(path.extension().string());
    if (ext.empty()) return false;
    ext.erase(0, 1);
    return std::find(extensions.begin(), extensions.end(), ext) != extensions.end();
}

double CpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

struct RunResult {
    double seconds = 0;
    double cpuSeconds = 0;  // all threads; unlike wall time, barely moved by other load
    int64_t lines = 0;
    int64_t methods = 0;
    int failures = 0;
};

// With "contents" set, the files were read beforehand and only the scan of
// the buffers is timed: the tokenizer and classifiers without the kernel.
RunResult ScanAll(const std::vector<std::string>& files, int threads,
                  const std::vector<std::vector<char>>* contents, MethodRule rule)
{
    std::atomic<size_t> next{0};
    std::atomic<int64_t> lines{0}, methods{0};
    std::atomic<int> failures{0};
    auto worker = [&] {
        std::vector<char> buffer;
        int64_t myLines = 0, myMethods = 0;
        int myFailures = 0;
        for (size_t i; (i = next.fetch_add(1)) < files.size();) {
            FileStats stats(LastPathComponent(files[i]), 25, uint32_t{0});
            const int failed = contents
                                   ? ScanBuffer(stats, (*contents)[i].data(), (*contents)[i].size(),
                                                LanguageForPath(files[i]), rule)
                                   : ScanFile(stats, files[i], buffer, rule);
            if (failed) {
                ++myFailures;
                continue;
            }
            myLines += stats.lines;
            myMethods += stats.MethodCount();
        }
        lines += myLines;
        methods += myMethods;
        failures += myFailures;
    };
    const auto start = std::chrono::steady_clock::now();
    const double cpuStart = CpuSeconds();
    std::vector<std::thread> pool;
    for (int t = 1; t < threads; ++t) pool.emplace_back(worker);
    worker();
    for (auto& t : pool) t.join();
    RunResult r;
    r.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    r.cpuSeconds = CpuSeconds() - cpuStart;
    r.lines = lines;
    r.methods = methods;
    r.failures = failures;
    return r;
}

int Usage()
{
    std::fprintf(stderr,
                 "usage: scan_bench DIR [--ext LIST] [--runs N] [--threads N] [--in-memory]\n"
                 "                  [--methods classic|modern|both]\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv)
{
    std::string dir;
    std::string extList = "c,cc,cpp,h,hpp,java,asm";
    int runs = 5;
    int threads = 1;
    bool inMemory = false;
    std::vector<MethodRule> rules{MethodRule::Classic};
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if ((arg == "--ext" || arg == "--runs" || arg == "--threads" || arg == "--methods") &&
            i + 1 < argc) {
            const std::string value = argv[++i];
            if (arg == "--methods") {
                if (value == "both") {
                    rules = {MethodRule::Classic, MethodRule::Modern};
                } else if (const auto rule = ParseMethodRule(value)) {
                    rules = {*rule};
                } else {
                    return Usage();
                }
            } else if (arg == "--ext")
                extList = value;
            else if (arg == "--runs")
                runs = std::max(1, std::atoi(value.c_str()));
            else
                threads = std::max(1, std::atoi(value.c_str()));
        } else if (arg == "--in-memory") {
            inMemory = true;
        } else if (dir.empty() && arg.rfind("--", 0) != 0) {
            dir = arg;
        } else {
            return Usage();
        }
    }
    if (dir.empty()) return Usage();

    const auto extensions = SplitList(extList);
    std::vector<std::string> files;
    uint64_t bytes = 0;
    std::error_code ec;
    for (auto it = std::filesystem::recursive_directory_iterator(dir, ec);
         !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
        if (!it->is_regular_file(ec) || !Matches(it->path(), extensions)) continue;
        files.push_back(it->path().string());
        bytes += it->file_size(ec);
    }
    if (ec) {
        std::fprintf(stderr, "scan_bench: cannot walk directory '%s': %s\n", dir.c_str(),
                     ec.message().c_str());
        return 1;
    }

    std::vector<std::vector<char>> contents;
    if (inMemory) {
        for (const auto& file : files) {
            size_t size = 0;
            contents.emplace_back();
            if (!ReadSourceFile(file, contents.back(), size)) size = 0;
            contents.back().resize(size);
        }
    }
    const auto* preread = inMemory ? &contents : nullptr;
    for (MethodRule rule : rules) ScanAll(files, threads, preread, rule);  // warms caches
    // Interleaved, so that load from elsewhere falls on both rules alike.
    std::vector<std::vector<RunResult>> results(rules.size());
    for (int r = 0; r < runs; ++r)
        for (size_t k = 0; k < rules.size(); ++k)
            results[k].push_back(ScanAll(files, threads, preread, rules[k]));
    const double mb = static_cast<double>(bytes) / (1024.0 * 1024.0);
    std::printf("files    %zu\n", files.size());
    std::printf("MB       %.1f\n", mb);
    std::printf("threads  %d, median of %d runs\n", threads, runs);
    std::vector<double> medianCpu;
    for (size_t k = 0; k < rules.size(); ++k) {
        auto& list = results[k];
        std::sort(list.begin(), list.end(),
                  [](const RunResult& a, const RunResult& b) { return a.seconds < b.seconds; });
        const RunResult& median = list[list.size() / 2];
        std::vector<double> cpu;
        for (const RunResult& r : list) cpu.push_back(r.cpuSeconds);
        std::sort(cpu.begin(), cpu.end());
        medianCpu.push_back(cpu[cpu.size() / 2]);
        std::printf("-- %s rule\n", std::string(MethodRuleName(rules[k])).c_str());
        std::printf("unreadable %d\n", median.failures);
        std::printf("lines    %lld\n", static_cast<long long>(median.lines));
        std::printf("methods  %lld\n", static_cast<long long>(median.methods));
        std::printf("seconds  %.4f (best %.4f)\n", median.seconds, list.front().seconds);
        std::printf("MB/s     %.1f\n", mb / median.seconds);
        std::printf("cpu s    %.4f (MB per cpu second %.1f)\n", medianCpu.back(),
                    mb / medianCpu.back());
        std::printf("lines/s  %.0f\n", static_cast<double>(median.lines) / median.seconds);
    }
    if (rules.size() == 2)
        std::printf("modern / classic cpu time: %.3f\n", medianCpu[1] / medianCpu[0]);
    return 0;
}
