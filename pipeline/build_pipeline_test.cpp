#include "pipeline/build_pipeline.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "analysis/source_scanner.h"
#include "analysis/temp_tree_test_util.h"
#include "pipeline/statistics_file.h"
#include "records/build_progress_sink.h"
#include "records/project_stats.h"
#include "records/stats_buffer.h"
#include "scoring/scoring_settings.h"

namespace codeburg {

namespace {

using testing::SampleSource;
using testing::TempTree;

std::vector<std::string> ScannedNames(const std::string& directory, const std::string& ext,
                                      const std::string& excludedFiles = "",
                                      const std::string& excludedDirs = "")
{
    ProjectStats stats(nullptr);
    stats.extensions = ext;
    stats.excludedFiles = excludedFiles;
    stats.excludedDirs = excludedDirs;
    EvaluateProject(stats, directory, nullptr, {});
    std::vector<std::string> names;
    for (const auto& f : stats.files) names.push_back(f->name);
    std::sort(names.begin(), names.end());
    return names;
}

class RecordingSink : public BuildProgressSink {
public:
    void Status(const std::string& name, const std::string& verb) override
    {
        calls.push_back(verb + " " + name);
    }
    void FileStep(const std::string& name) override
    {
        if (std::this_thread::get_id() != caller) offThread = true;
        calls.push_back("step " + name);
    }
    void AddRange(int count) override { calls.push_back("range " + std::to_string(count)); }
    int Position() override { return 0; }

    std::thread::id caller = std::this_thread::get_id();
    bool offThread = false;
    std::vector<std::string> calls;
};

std::vector<uint8_t> Serialised(const ProjectStats& stats)
{
    StatsBuffer buffer;
    SerialiseStatistics(stats, buffer);
    return buffer.data();
}

}  // namespace

TEST(MatchesListTest, EntriesKeepTheirBlanksAndIgnoreCase)
{
    EXPECT_TRUE(MatchesList("cc", "cpp,cc"));
    EXPECT_TRUE(MatchesList("CPP", "cpp,cc"));
    EXPECT_TRUE(MatchesList("cpp", "cpp, cc, java, asm"));
    EXPECT_FALSE(MatchesList("cc", "cpp, cc, java, asm"));
    EXPECT_TRUE(MatchesList(" cc", "cpp, cc, java, asm"));
    EXPECT_TRUE(MatchesList("StdAfx.CPP", "stdafx.cpp"));
    EXPECT_FALSE(MatchesList("stdafx.cpp", ""));
    EXPECT_FALSE(MatchesList("", ""));
}

TEST(MatchesListTest, SuffixAndPrefixPatterns)
{
    const char* list = "*xx.cpp, xx*.cpp";
    EXPECT_TRUE(MatchesList("fooxx.cpp", list));
    EXPECT_TRUE(MatchesList("XX.CPP", list));
    EXPECT_FALSE(MatchesList("xxfoo.cpp", list));  // the second entry begins with a blank
    EXPECT_TRUE(MatchesList(" xx*.cpp", list));    // "*" is literal inside a prefix entry
    EXPECT_TRUE(MatchesList("gen_a.h", "gen*"));
    EXPECT_TRUE(MatchesList("a_test.cpp", "**_test.cpp"));  // one more leading "*" dropped
    EXPECT_TRUE(MatchesList("anything", "*"));
    EXPECT_FALSE(MatchesList("b.cpp", "a*"));
}

TEST(MatchesListTest, PrefixEntriesIgnoreCase)
{
    EXPECT_TRUE(MatchesList("GEN_a.h", "gen*"));
    EXPECT_TRUE(MatchesList("gen_a.h", "GEN*"));
    EXPECT_TRUE(MatchesList("Gen", "gEN*"));
    EXPECT_FALSE(MatchesList("ge", "gen*"));
}

TEST(NameSeedTest, SignedBytesTimesPosition)
{
    EXPECT_EQ(NameSeed(""), 0u);
    EXPECT_EQ(NameSeed("ab"), 97u + 98u * 2);
    EXPECT_EQ(NameSeed("a\xE9"), static_cast<uint32_t>(97 - 23 * 2));
}

TEST(WalkDirectoryTest, FiltersNamesDirectoriesAndExtensions)
{
    TempTree tree;
    tree.Write("a.cpp", "int x;\n");
    tree.Write("b.CC", "int x;\n");
    tree.Write("c.java", "int x;\n");
    tree.Write("Makefile", "all:\n");
    tree.Write("x.tar.cpp", "\n");
    tree.Write(".hidden.cpp", "\n");
    tree.Write(".git/d.cpp", "\n");
    tree.Write("sub/e.cpp", "\n");
    tree.Write("gen/f.cpp", "\n");
    tree.Write("StdAfx.cpp", "\n");
    EXPECT_EQ(ScannedNames(tree.root(), "cpp,cc", "stdafx.cpp", "GEN"),
              (std::vector<std::string>{"a.cpp", "b.CC", "e.cpp", "x.tar.cpp"}));
    EXPECT_EQ(ScannedNames(tree.root(), "cpp, cc, java"),
              (std::vector<std::string>{"StdAfx.cpp", "a.cpp", "e.cpp", "f.cpp", "x.tar.cpp"}));
}

TEST(WalkDirectoryTest, ExcludedPrefixIgnoresCase)
{
    TempTree tree;
    tree.Write("moc_a.cpp", "\n");
    tree.Write("MOC_b.cpp", "\n");
    tree.Write("Moc_c.cpp", "\n");
    tree.Write("main.cpp", "\n");
    EXPECT_EQ(ScannedNames(tree.root(), "cpp", "Moc_*"), (std::vector<std::string>{"main.cpp"}));
}

TEST(WalkDirectoryTest, SkipsSpecialFilesAndDirectoryLinkLoops)
{
    TempTree tree;
    tree.Write("a.cpp", "int f() {\n}\n");
    tree.Write("real/b.cpp", "\n");
    ASSERT_EQ(mkfifo(tree.path("pipe.cpp").c_str(), 0600), 0);
    std::filesystem::create_directory_symlink(tree.root(), tree.path("real/loop"));
    std::filesystem::create_symlink(tree.path("a.cpp"), tree.path("link.cpp"));
    // Would block for ever if the FIFO were opened, or never end on the loop.
    EXPECT_EQ(ScannedNames(tree.root(), "cpp"),
              (std::vector<std::string>{"a.cpp", "b.cpp", "link.cpp"}));
}

TEST(WalkDirectoryTest, DeepTreeNeedsNoRecursion)
{
    TempTree tree;
    // Built by descending, since the full path soon exceeds what one call takes.
    const int fd = open(".", O_RDONLY);
    ASSERT_EQ(chdir(tree.root().c_str()), 0);
    std::string reachable;
    for (int i = 0; i < 5000; ++i) {
        ASSERT_EQ(mkdir("d", 0700), 0);
        ASSERT_EQ(chdir("d"), 0);
        if (i == 999) std::ofstream("mid.cpp") << "int x;\n";
    }
    std::ofstream("deep.cpp") << "int x;\n";
    ASSERT_EQ(fchdir(fd), 0);
    close(fd);
    for (int i = 0; i < 1000; ++i) reachable += "/d";

    ProjectStats stats(nullptr);
    int count = 0;
    WalkDirectory(stats, tree.root(), &count);
    EXPECT_EQ(count, 2);
    EXPECT_EQ(FindSourceFile(tree.root(), "mid.cpp"), tree.root() + reachable + "/mid.cpp");

    // Depth alone keeps no file out of a build: the one far beyond the
    // length a path may have is scanned too, by either path.
    for (bool parallel : {false, true}) {
        BuildOptions options;
        options.parallel = parallel;
        options.threads = 2;
        ProjectStats built(nullptr);
        ASSERT_EQ(EvaluateProject(built, tree.root(), nullptr, options), 0);
        EXPECT_EQ(built.files.size(), 2u);
        EXPECT_TRUE(built.skipped.empty());
    }
}

// A deep tree with files on every level, some listed after the folder below:
// the walk comes back to folders it had to close and finds them all, with few
// descriptors at any time.
TEST(WalkDirectoryTest, DeepTreeWithFilesOnEveryLevelKeepsFewFoldersOpen)
{
    TempTree tree;
    std::string relative;
    constexpr int kLevels = 300;
    for (int i = 0; i < kLevels; ++i) {
        tree.Write(relative + "a" + std::to_string(i) + ".cpp", "int x;\n");
        relative += "d/";
        tree.Write(relative + "z" + std::to_string(i) + ".cpp", "int y;\n");
    }
    for (bool parallel : {false, true}) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            const rlimit few{64, 64};
            setrlimit(RLIMIT_NOFILE, &few);
            BuildOptions options;
            options.parallel = parallel;
            options.threads = 2;
            ProjectStats stats(nullptr);
            EvaluateProject(stats, tree.root(), nullptr, options);
            const bool found =
                FindSourceFile(tree.root(), "a" + std::to_string(kLevels - 1) + ".cpp").has_value();
            _exit(stats.files.size() == 2 * kLevels && stats.skipped.empty() && found ? 0 : 1);
        }
        int status = 0;
        waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "parallel " << parallel;
    }
}

TEST(WalkDirectoryTest, CountingTracksNewestMatchingWriteTime)
{
    TempTree tree;
    const std::string a = tree.Write("a.cpp", "\n");
    const std::string skipped = tree.Write("b.txt", "\n");
    const auto t = std::filesystem::last_write_time(a);
    std::filesystem::last_write_time(skipped, t + std::chrono::hours(5));
    ProjectStats stats(nullptr);
    int64_t newest = 0;
    int count = 0;
    stats.newestWriteTime = &newest;
    WalkDirectory(stats, tree.root(), &count);
    struct stat st;
    ASSERT_EQ(stat(a.c_str(), &st), 0);
    EXPECT_EQ(count, 1);
    EXPECT_EQ(newest, int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec);
}

TEST(EvaluateProjectTest, NoMatchingFileKeepsNoFilesAndTheOldCity)
{
    TempTree tree;
    tree.Write("readme.txt", "\n");
    ProjectStats stats(nullptr);
    stats.cityGrid.Allocate(3, 4);
    EXPECT_EQ(EvaluateProject(stats, tree.root(), nullptr), -1);
    EXPECT_TRUE(stats.files.empty());
    EXPECT_EQ(stats.cityGrid.width, 3);
    EXPECT_EQ(stats.name, "proj");
}

TEST(EvaluateProjectTest, ParallelScanEqualsSequentialScan)
{
    TempTree tree;
    for (int i = 0; i < 300; ++i)
        tree.Write("d" + std::to_string(i % 11) + "/f" + std::to_string(i) + ".cpp",
                   SampleSource(i));
    tree.Write("d3/broken.cpp.txt", "\n");

    ProjectStats sequential(nullptr), parallel(nullptr);
    RecordingSink sequentialSink, parallelSink;
    BuildOptions options;
    options.parallel = false;
    ASSERT_EQ(EvaluateProject(sequential, tree.root(), &sequentialSink, options), 0);
    options.parallel = true;
    options.threads = 4;
    ASSERT_EQ(EvaluateProject(parallel, tree.root(), &parallelSink, options), 0);

    ASSERT_EQ(parallel.files.size(), 300u);
    EXPECT_EQ(Serialised(sequential), Serialised(parallel));
    EXPECT_EQ(sequentialSink.calls, parallelSink.calls);
    EXPECT_FALSE(parallelSink.offThread);
    EXPECT_EQ(sequential.measures.overallScore, parallel.measures.overallScore);
    for (size_t i = 1; i < parallel.files.size(); ++i)
        EXPECT_GE(parallel.files[i - 1]->Volume(), parallel.files[i]->Volume());
}

// Asks to stop once it has seen "steps" files; with 0, only at the ask after
// the layout (the first ask once the layout has reported a file).
class StoppingSink : public RecordingSink {
public:
    explicit StoppingSink(int steps) : m_steps(steps) {}
    void FileStep(const std::string& name) override
    {
        RecordingSink::FileStep(name);
        ++m_seen;
    }
    void Status(const std::string& name, const std::string& verb) override
    {
        RecordingSink::Status(name, verb);
        m_laidOut = true;  // the scan reports no status; only the layout does
    }
    bool StopRequested() override { return m_steps > 0 ? m_seen >= m_steps : m_laidOut; }

private:
    int m_steps;
    int m_seen = 0;
    bool m_laidOut = false;
};

TEST(EvaluateProjectTest, StoppedScanPutsTheOldStatisticsBack)
{
    TempTree tree;
    for (int i = 0; i < 60; ++i)
        tree.Write("d" + std::to_string(i % 5) + "/f" + std::to_string(i) + ".cpp",
                   SampleSource(i));
    ProjectStats stats(nullptr);
    ASSERT_EQ(EvaluateProject(stats, tree.root(), nullptr), 0);
    const auto before = Serialised(stats);
    const FileStats* firstRecord = stats.files.front().get();
    tree.Write("d0/new.cpp", SampleSource(99));

    // Stopped in the walk, in the parallel scan and after the layout: the
    // same records come back, and so does every figure.
    for (int steps : {1, 7, 0}) {
        for (bool parallel : {false, true}) {
            SCOPED_TRACE("steps " + std::to_string(steps) + (parallel ? " parallel" : ""));
            StoppingSink sink(steps);
            BuildOptions options;
            options.parallel = parallel;
            options.threads = 3;
            EXPECT_EQ(EvaluateProject(stats, tree.root(), &sink, options), kBuildStopped);
            EXPECT_EQ(stats.files.size(), 60u);
            EXPECT_EQ(stats.files.front().get(), firstRecord);
            EXPECT_EQ(Serialised(stats), before);
        }
    }
    EXPECT_EQ(EvaluateProject(stats, tree.root(), nullptr), 0);
    EXPECT_EQ(stats.files.size(), 61u);
}

TEST(EvaluateProjectTest, ReportHoldsOnlyErrorLinesUnlessEnabled)
{
    TempTree tree;
    tree.Write("a.cpp", "\n");
    const std::string bad = tree.Write("b.cpp", "\n");
    BuildOptions options;
    // Stands for a file that vanished or became unreadable after the walk.
    options.scanFile = [](FileStats& stats, const std::string& path, std::vector<char>& buffer) {
        return stats.name == "b.cpp" ? 1 : ScanFile(stats, path, buffer);
    };
    options.reportPath = tree.path("../report.txt");
    for (bool parallel : {false, true}) {
        options.parallel = parallel;
        ProjectStats stats(nullptr);
        EXPECT_EQ(EvaluateProject(stats, tree.root(), nullptr, options), 0);
        EXPECT_EQ(stats.files.size(), 1u);
        std::stringstream text;
        text << std::ifstream(options.reportPath).rdbuf();
        EXPECT_EQ(text.str(), ">>>> Error 1 on [" + bad + "]\r\n1 file or folder was left out: " +
                                  bad + " (it cannot be read)\r\n");
    }
}

TEST(EvaluateProjectTest, FullReportIsTheSameForParallelAndSequentialScans)
{
    TempTree tree;
    for (int i = 0; i < 30; ++i)
        tree.Write("d" + std::to_string(i % 4) + "/f" + std::to_string(i) + ".cpp",
                   SampleSource(i));
    std::string reports[2];
    for (bool parallel : {false, true}) {
        BuildOptions options;
        options.parallel = parallel;
        options.threads = 3;
        options.reportPath = tree.path("../report.txt");
        options.scanFile = [](FileStats& stats, const std::string& path,
                              std::vector<char>& buffer) {
            return stats.name == "f7.cpp" ? 1 : ScanFile(stats, path, buffer);
        };
        ProjectStats stats(nullptr);
        stats.reportEnabled = true;
        ASSERT_EQ(EvaluateProject(stats, tree.root(), nullptr, options), 0);
        std::stringstream text;
        text << std::ifstream(options.reportPath).rdbuf();
        reports[parallel] = text.str();
    }
    EXPECT_EQ(reports[0], reports[1]);
    EXPECT_NE(reports[0].find("Parsing dir [" + tree.path("d3") + "]\r\n"), std::string::npos);
    EXPECT_NE(reports[0].find(">>>> Error 1 on [" + tree.path("d3/f7.cpp") + "]\r\n"),
              std::string::npos);
}

// Files that cannot be read, folders that cannot be entered and files too
// large to scan are named, with the reason, in walk order, by either path.
TEST(EvaluateProjectTest, NamesWhatItLeavesOut)
{
    TempTree tree;
    tree.Write("a/one.cpp", "int x;\n");
    const std::string locked = tree.Write("b/locked/two.cpp", "int x;\n");
    const std::string secret = tree.Write("c/secret.cpp", "int x;\n");
    const std::string huge = tree.Write("d/huge.cpp", "");
    ASSERT_EQ(truncate(huge.c_str(), off_t(kMaxScanBytes) + 1), 0);  // sparse: costs no room
    tree.Write("e/three.cpp", "int x;\n");
    ASSERT_EQ(chmod(tree.path("b/locked").c_str(), 0), 0);
    ASSERT_EQ(chmod(secret.c_str(), 0), 0);

    // The administrator reads everything: the walk then runs as nobody.
    const bool asRoot = geteuid() == 0;
    if (asRoot) {
        const std::string base = tree.root().substr(0, tree.root().rfind('/'));
        ASSERT_EQ(chmod(base.c_str(), 0755), 0);  // the scratch folder, private until now
    }
    for (bool parallel : {false, true}) {
        int pipe[2];
        ASSERT_EQ(::pipe(pipe), 0);
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            if (asRoot && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(2);
            BuildOptions options;
            options.parallel = parallel;
            options.threads = 3;
            ProjectStats stats(nullptr);
            EvaluateProject(stats, tree.root(), nullptr, options);
            std::string lines = std::to_string(stats.files.size()) + "\n";
            for (const SkippedEntry& entry : stats.skipped)
                lines += entry.path + "|" + entry.reason + "\n";
            (void)!write(pipe[1], lines.data(), lines.size());
            _exit(0);
        }
        close(pipe[1]);
        std::string got;
        char chunk[4096];
        for (ssize_t n; (n = read(pipe[0], chunk, sizeof chunk)) > 0;) got.append(chunk, size_t(n));
        close(pipe[0]);
        waitpid(child, nullptr, 0);
        std::vector<std::string> expected = {"2"};
        for (const auto& [path, why] : std::vector<std::pair<std::string, std::string>>{
                 {tree.path("b/locked"), std::strerror(EACCES)},
                 {secret, std::strerror(EACCES)},
                 {huge, "file too large (" + std::to_string(kMaxScanBytes + 1) +
                            " bytes, at most " + std::to_string(kMaxScanBytes) + ")"}})
            expected.push_back(path + "|" + why);
        std::vector<std::string> lines;
        std::istringstream in(got);
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        // The walk order is the file system's: compare as sets, then the order by itself.
        std::vector<std::string> sortedLines = lines, sortedExpected = expected;
        std::sort(sortedLines.begin(), sortedLines.end());
        std::sort(sortedExpected.begin(), sortedExpected.end());
        EXPECT_EQ(sortedLines, sortedExpected) << "parallel " << parallel;
    }
    ProjectStats sequential(nullptr), parallel(nullptr);
    BuildOptions options;
    options.parallel = false;
    EvaluateProject(sequential, tree.root(), nullptr, options);
    options.parallel = true;
    EvaluateProject(parallel, tree.root(), nullptr, options);
    ASSERT_EQ(sequential.skipped.size(), parallel.skipped.size());
    for (size_t i = 0; i < sequential.skipped.size(); ++i)
        EXPECT_EQ(sequential.skipped[i].path, parallel.skipped[i].path);
    chmod(tree.path("b/locked").c_str(), 0700);
}

TEST(SkippedSummaryTest, CountsAndNamesTheFirstFew)
{
    EXPECT_EQ(SkippedSummary({}), "");
    EXPECT_EQ(SkippedSummary({{"/p/a.cpp", "Permission denied"}}),
              "1 file or folder was left out: /p/a.cpp (Permission denied)");
    const std::vector<SkippedEntry> four = {{"a", "x"}, {"b", "y"}, {"c", "z"}, {"d", "w"}};
    EXPECT_EQ(SkippedSummary(four), "4 files or folders were left out: a (x), b (y), c (z), ...");
    EXPECT_EQ(SkippedSummary(four, 1), "4 files or folders were left out: a (x), ...");
}

TEST(EvaluateProjectTest, ReportIsDeletedWhenEveryFileWasRead)
{
    TempTree tree;
    tree.Write("a.cpp", "\n");
    BuildOptions options;
    options.reportPath = tree.Write("../report.txt", "old\r\n");
    ProjectStats stats(nullptr);
    EXPECT_EQ(EvaluateProject(stats, tree.root(), nullptr, options), 0);
    EXPECT_FALSE(std::filesystem::exists(options.reportPath));
}

TEST(FindSourceFileTest, ExactNameFirstFoundWithoutFilters)
{
    TempTree tree;
    tree.Write(".hide/x.cpp", "\n");
    const std::string b = tree.Write("sub/x.cpp", "\n");
    tree.Write("sub/X.CPP", "\n");
    EXPECT_EQ(FindSourceFile(tree.root(), "x.cpp"), b);
    EXPECT_EQ(FindSourceFile(tree.root(), "missing.cpp"), std::nullopt);
    EXPECT_EQ(FindSourceFile(tree.root(), "Makefile"), std::nullopt);
}

}  // namespace codeburg
