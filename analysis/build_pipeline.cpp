#include "analysis/build_pipeline.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <system_error>
#include <thread>
#include <vector>

#include "analysis/build_progress_sink.h"
#include "analysis/file_stats.h"
#include "analysis/project_stats.h"
#include "analysis/source_scanner.h"
#include "analysis/text_report.h"
#include "city/city_layout.h"
#include "platform/ms_random.h"
#include "platform/path_util.h"

namespace codeburg {

namespace {

bool MatchesEntry(std::string_view name, std::string_view entry)
{
    if (entry.empty()) return false;
    if (entry.front() == '*') {
        std::string_view suffix = entry.substr(1);
        if (!suffix.empty() && suffix.front() == '*') suffix.remove_prefix(1);
        return name.size() >= suffix.size() &&
               EqualsNoCase(name.substr(name.size() - suffix.size()), suffix);
    }
    if (entry.back() == '*') {
        const std::string_view prefix = entry.substr(0, entry.size() - 1);
        return name.size() >= prefix.size() && EqualsNoCase(name.substr(0, prefix.size()), prefix);
    }
    return EqualsNoCase(name, entry);
}

enum class EntryKind { Skip, Directory, File };

struct DirEntry {
    std::string name;
    unsigned char type;
};

// Reads a whole directory at once, in the order the file system returns it, so
// that a deep walk holds no open handles beyond the one being read.
std::vector<DirEntry> ReadEntries(const std::string& directory)
{
    std::vector<DirEntry> entries;
    DIR* dir = opendir(directory.c_str());
    if (!dir) return entries;
    while (const dirent* e = readdir(dir)) entries.push_back({e->d_name, e->d_type});
    closedir(dir);
    return entries;
}

// Links to directories are never followed (a loop would never end); links to
// regular files are. FIFOs, sockets and devices are never opened: a read could
// block for ever.
EntryKind Classify(const std::string& path, unsigned char type)
{
    struct stat st;
    switch (type) {
    case DT_DIR:
        return EntryKind::Directory;
    case DT_REG:
        return EntryKind::File;
    case DT_LNK:
        return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) ? EntryKind::File
                                                                    : EntryKind::Skip;
    case DT_UNKNOWN:
        if (lstat(path.c_str(), &st) != 0) return EntryKind::Skip;
        if (S_ISDIR(st.st_mode)) return EntryKind::Directory;
        if (S_ISLNK(st.st_mode)) return Classify(path, DT_LNK);
        return S_ISREG(st.st_mode) ? EntryKind::File : EntryKind::Skip;
    default:
        return EntryKind::Skip;
    }
}

int64_t WriteTimeNs(const std::string& path)
{
    struct stat st;
    if (stat(path.c_str(), &st) != 0) return 0;
    return int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
}

// Depth first in file-system order, with an explicit stack so that a very deep
// tree cannot overflow the call stack. "onDirectory" sees every directory
// entered (the start included), "onFile" every regular file that is not a dot-name.
void Walk(const std::string& start, const std::function<bool(const std::string&)>& onDirectory,
          const std::function<bool(const std::string& name, const std::string& path)>& onFile,
          const std::function<bool(std::string_view name)>& enterDirectory)
{
    struct Frame {
        std::string path;
        std::vector<DirEntry> entries;
        size_t next = 0;
    };
    std::vector<Frame> stack;
    auto enter = [&](std::string path) {
        if (!onDirectory(path)) return false;
        if (!path.empty()) {
            auto entries = ReadEntries(path);
            stack.push_back({std::move(path), std::move(entries)});
        }
        return true;
    };
    if (!enter(start)) return;
    while (!stack.empty()) {
        Frame& frame = stack.back();
        if (frame.next == frame.entries.size()) {
            stack.pop_back();
            continue;
        }
        const DirEntry entry = std::move(frame.entries[frame.next++]);
        if (entry.name.empty() || entry.name.front() == '.') continue;
        std::string path = PathJoin(frame.path, entry.name);
        switch (Classify(path, entry.type)) {
        case EntryKind::Directory:
            if (enterDirectory(entry.name) && !enter(std::move(path))) return;
            break;
        case EntryKind::File:
            if (!onFile(entry.name, path)) return;
            break;
        case EntryKind::Skip:
            break;
        }
    }
}

// The matching files of one scanning walk, with the directory lines of the
// report between them, so that the parallel path reports exactly as the
// sequential one.
struct PendingFile {
    std::unique_ptr<FileStats> stats;
    std::string path;
    bool directoryLine = false;  // this slot only reports the directory in "path"
};

bool StopRequested(const ProjectStats& stats)
{
    return stats.progressSink && stats.progressSink->StopRequested();
}

void Report(const BuildOptions& options, const char* format, const std::string& a)
{
    if (!options.reportPath.empty()) ReportLine(options.reportPath, format, a.c_str());
}

void FinishScan(ProjectStats& stats, PendingFile& file, int result, const BuildOptions& options)
{
    if (result != 0) {
        if (!options.reportPath.empty())
            ReportLine(options.reportPath, ">>>> Error %d on [%s]", result, file.path.c_str());
        return;
    }
    stats.files.push_back(std::move(file.stats));
    if (stats.progressSink) stats.progressSink->FileStep(stats.name);
    const FileStats& added = *stats.files.back();
    if (stats.reportEnabled && !options.reportPath.empty())
        ReportLine(options.reportPath, "  %-24s : %02d meth", added.name.c_str(),
                   added.MethodCount());
}

int Scan(const BuildOptions& options, FileStats& stats, const std::string& path,
         std::vector<char>& buffer)
{
    return options.scanFile ? options.scanFile(stats, path, buffer)
                            : ScanFile(stats, path, buffer);
}

int ThreadCount(const BuildOptions& options, size_t files)
{
    int threads = options.threads > 0 ? options.threads
                                      : static_cast<int>(std::thread::hardware_concurrency());
    threads = std::max(threads, 1);
    return static_cast<int>(std::min<size_t>(threads, std::max<size_t>(files, 1)));
}

// Scans on all cores; the calling thread joins in and hands the results over
// strictly in walk order, so records, report lines and sink calls are those
// of the sequential path.
void ScanInParallel(ProjectStats& stats, std::vector<PendingFile>& pending,
                    const BuildOptions& options)
{
    std::vector<size_t> work;
    for (size_t i = 0; i < pending.size(); ++i)
        if (!pending[i].directoryLine) work.push_back(i);
    constexpr int kPending = -1000;
    std::unique_ptr<std::atomic<int>[]> results(new std::atomic<int>[pending.size()]);
    for (size_t i = 0; i < pending.size(); ++i) results[i].store(kPending);
    std::atomic<size_t> next{0};
    auto scanOne = [&](std::vector<char>& buffer) {
        const size_t w = next.fetch_add(1);
        if (w >= work.size()) return false;
        PendingFile& file = pending[work[w]];
        results[work[w]].store(Scan(options, *file.stats, file.path, buffer),
                               std::memory_order_release);
        results[work[w]].notify_all();
        return true;
    };

    std::vector<std::thread> workers;
    const int helpers = ThreadCount(options, work.size()) - 1;
    for (int t = 0; t < helpers; ++t) {
        try {
            workers.emplace_back([&]() {
                std::vector<char> buffer;
                while (scanOne(buffer)) {
                }
            });
        } catch (const std::system_error&) {
            break;  // fewer threads only means a slower scan
        }
    }

    std::vector<char> buffer;
    for (size_t i = 0; i < pending.size(); ++i) {
        PendingFile& file = pending[i];
        if (file.directoryLine) {
            Report(options, "Parsing dir [%s]", file.path);
            continue;
        }
        int result;
        while ((result = results[i].load(std::memory_order_acquire)) == kPending) {
            if (!scanOne(buffer)) results[i].wait(kPending, std::memory_order_acquire);
        }
        FinishScan(stats, file, result, options);
        if (StopRequested(stats)) {
            next.store(work.size());  // the helpers finish their file and take no other
            break;
        }
    }
    for (std::thread& t : workers) t.join();
}

// What a scan replaces, kept until the scan is through.
struct PreviousScan {
    std::vector<std::unique_ptr<FileStats>> files;
    std::optional<CityGrid> cityGrid;  // taken only when a new city is laid out
    ProjectMeasures measures;
    std::string name, directory;
};

int PutBack(ProjectStats& stats, PreviousScan& previous)
{
    stats.files = std::move(previous.files);
    if (previous.cityGrid) stats.cityGrid = std::move(*previous.cityGrid);
    stats.measures = previous.measures;
    stats.name = std::move(previous.name);
    stats.directory = std::move(previous.directory);
    return kBuildStopped;
}

}  // namespace

bool MatchesList(std::string_view name, std::string_view list)
{
    while (true) {
        const size_t comma = list.find(',');
        if (MatchesEntry(name, list.substr(0, comma))) return true;
        if (comma == std::string_view::npos) return false;
        list.remove_prefix(comma + 1);
    }
}

uint32_t NameSeed(std::string_view name)
{
    uint32_t sum = 0;
    for (size_t i = 0; i < name.size(); ++i)
        sum += static_cast<uint32_t>(static_cast<int32_t>(static_cast<signed char>(name[i])) *
                                     static_cast<int32_t>(i + 1));
    return sum;
}

void WalkDirectory(ProjectStats& stats, const std::string& directory, int* counter,
                   MsRandom* rng, const BuildOptions& options)
{
    const bool parallel = !counter && options.parallel && ThreadCount(options, 2) > 1;
    std::vector<PendingFile> pending;
    MsRandom fallback;
    MsRandom& colours = rng ? *rng : fallback;
    std::vector<char> buffer;  // reused by every file of a sequential scan

    auto onDirectory = [&](const std::string& path) {
        // Walking a large tree before its first file is scanned takes a while.
        if (stats.progressSink) stats.progressSink->KeepAlive();
        if (StopRequested(stats)) return false;
        if (stats.reportEnabled) {
            if (parallel)
                pending.push_back({nullptr, path, true});
            else
                Report(options, "Parsing dir [%s]", path);
        }
        return true;
    };
    auto onFile = [&](const std::string& name, const std::string& path) {
        if (MatchesList(name, stats.excludedFiles)) return true;
        const size_t dot = name.rfind('.');
        if (dot == std::string::npos) return true;
        if (!MatchesList(std::string_view(name).substr(dot + 1), stats.extensions)) return true;
        if (stats.newestWriteTime)
            *stats.newestWriteTime = std::max(*stats.newestWriteTime, WriteTimeNs(path));
        if (counter) {
            ++*counter;
            return true;
        }
        PendingFile file{std::make_unique<FileStats>(name, stats.LineCount(), colours), path};
        if (parallel) {
            pending.push_back(std::move(file));
        } else {
            const int result = Scan(options, *file.stats, file.path, buffer);
            FinishScan(stats, file, result, options);
            return !StopRequested(stats);
        }
        return true;
    };
    auto enterDirectory = [&](std::string_view name) {
        return !MatchesList(name, stats.excludedDirs);
    };
    Walk(directory, onDirectory, onFile, enterDirectory);
    if (parallel && !StopRequested(stats)) ScanInParallel(stats, pending, options);
}

void CountFiles(ProjectStats& stats, const std::string& directory, BuildProgressSink* sink,
                const BuildOptions& options)
{
    int count = 0;
    stats.progressSink = sink;
    WalkDirectory(stats, directory, &count, nullptr, options);
    if (sink) sink->AddRange(count);
}

int EvaluateProject(ProjectStats& stats, const std::string& directory, BuildProgressSink* sink,
                    const BuildOptions& options)
{
    stats.progressSink = sink;
    if (!options.reportPath.empty()) DeleteReport(options.reportPath);
    if (stats.reportEnabled && !options.reportPath.empty()) {
        ReportLine(options.reportPath, "%s", kReportBanner);
        ReportLine(options.reportPath, "Project : %s", stats.name.c_str());
    }
    // The records of the last scan stay alive until this one is through: a
    // stopped build puts them back, and a window may still show them.
    PreviousScan previous{std::move(stats.files), {}, stats.measures, stats.name, stats.directory};
    stats.files.clear();
    stats.measures = ProjectMeasures{};
    stats.measures.overallScore = previous.measures.overallScore;
    stats.directory = directory;
    stats.name = LastPathComponent(directory);

    // The colours and the city are drawn from this one sequence; its seed and
    // order of draws are part of every saved file.
    MsRandom rng(NameSeed(stats.name));
    WalkDirectory(stats, directory, nullptr, &rng, options);
    if (StopRequested(stats)) return PutBack(stats, previous);
    if (stats.reportEnabled && !options.reportPath.empty())
        WriteFullReport(stats, options.reportPath);
    if (stats.files.empty()) return -1;

    previous.cityGrid = std::move(stats.cityGrid);
    LayOutCity(stats, rng, sink, options);
    if (StopRequested(stats)) return PutBack(stats, previous);
    stats.ComputeMeasures(false);
    return 0;
}

void LayOutCity(ProjectStats& stats, MsRandom& rng, BuildProgressSink* sink,
                const BuildOptions& options)
{
    // The layout replaces the whole grid at its first attempt, so the old city
    // is only dropped here; sizing it by the file count first would cost
    // files² cells (0.7 GB for 7 700 files) that nobody reads.
    stats.cityGrid.Clear();
    // Stable, so that equal volumes keep walk order and every build of the same
    // tree yields the same city.
    std::stable_sort(stats.files.begin(), stats.files.end(),
                     [](const auto& a, const auto& b) { return a->Volume() > b->Volume(); });
    BuildCity(stats, rng, sink, options.parallel ? ThreadCount(options, stats.files.size()) : 1);
}

std::optional<std::string> FindSourceFile(const std::string& directory,
                                          const std::string& fileName)
{
    std::optional<std::string> found;
    Walk(
        directory, [](const std::string&) { return true; },
        [&](const std::string& name, const std::string& path) {
            if (name != fileName) return true;
            found = path;
            return false;
        },
        [](std::string_view) { return true; });
    return found;
}

}  // namespace codeburg
