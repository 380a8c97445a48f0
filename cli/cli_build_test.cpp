// Runs the real codeburg-cli binary on scratch trees.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "analysis/temp_tree_test_util.h"
#include "cli/cli_run_test_util.h"
#include "platform/full_disk_test_util.h"

namespace codeburg {

namespace {

using testing::CliRun;
using testing::RunCli;
using testing::SampleSource;
using testing::TempTree;

std::string ReadAll(const std::string& path)
{
    std::stringstream text;
    text << std::ifstream(path, std::ios::binary).rdbuf();
    return text.str();
}

class CliBuildTest : public ::testing::Test {
protected:
    CliBuildTest()
    {
        for (int i = 0; i < 20; ++i)
            tree.Write("m" + std::to_string(i % 3) + "/f" + std::to_string(i) + ".cpp",
                       SampleSource(i));
        tree.Write("stdafx.cpp", SampleSource(50));
        tree.Write("x.h", SampleSource(2));
    }
    TempTree tree;
};

}  // namespace

TEST_F(CliBuildTest, BuildPrintsTheSheetAndWritesTheStatisticsFile)
{
    const CliRun r = RunCli({"build", tree.root() + "/", "--force"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out.rfind("PROJ  files 20  eloc ", 0), 0u) << r.out;
    EXPECT_NE(r.out.find("\nOVERALL "), std::string::npos);
    EXPECT_NE(r.out.find("Lines per method"), std::string::npos);
    EXPECT_TRUE(std::filesystem::exists(tree.path("proj.cbb")));
    EXPECT_EQ(r.err, "");  // no progress bar off a terminal
}

TEST_F(CliBuildTest, JsonOfBuildAndShowAgree)
{
    const CliRun built = RunCli({"build", tree.root(), "--json", "--force"});
    ASSERT_EQ(built.status, 0);
    auto b = nlohmann::json::parse(built.out);
    EXPECT_TRUE(b["built"].get<bool>());
    EXPECT_EQ(b["name"], "proj");
    EXPECT_EQ(b["statisticsFile"], tree.path("proj.cbb"));
    ASSERT_EQ(b["files"].size(), 20u);
    EXPECT_TRUE(b["files"][0].contains("colour"));
    EXPECT_EQ(b["topics"].size(), 7u);

    const CliRun shown = RunCli({"show", tree.path("proj.cbb"), "--json"});
    ASSERT_EQ(shown.status, 0);
    auto s = nlohmann::json::parse(shown.out);
    EXPECT_FALSE(s["built"].get<bool>());
    for (const char* key : {"city", "directory"}) EXPECT_EQ(s[key], b[key]) << key;
    // Loading splits each file's eloc at the limit without its asserts, so
    // only the distribution and what depends on it may differ.
    for (auto* doc : {&s, &b}) {
        for (auto& file : (*doc)["files"]) {
            file.erase("elocWithinLimit");
            file.erase("elocOverLimit");
        }
        for (const char* key : {"distribution", "overallScore"}) (*doc)["measures"].erase(key);
        (*doc)["topics"].erase(5);
        for (auto& topic : (*doc)["topics"]) EXPECT_TRUE(topic.contains("score"));
    }
    for (const char* key : {"files", "measures", "topics"}) EXPECT_EQ(s[key], b[key]) << key;
}

TEST_F(CliBuildTest, UnchangedTreeIsNotRebuiltUnlessForced)
{
    ASSERT_EQ(RunCli({"build", tree.root()}).status, 0);
    const std::string first = ReadAll(tree.path("proj.cbb"));
    const CliRun again = RunCli({"build", tree.root(), "--json"});
    ASSERT_EQ(again.status, 0);
    EXPECT_FALSE(nlohmann::json::parse(again.out)["built"].get<bool>());
    EXPECT_NE(again.err.find("up to date"), std::string::npos);
    ASSERT_EQ(RunCli({"build", tree.root(), "--force", "--sequential"}).status, 0);
    EXPECT_EQ(ReadAll(tree.path("proj.cbb")), first);
}

TEST_F(CliBuildTest, FiltersAndNameOptions)
{
    const CliRun r = RunCli({"build", tree.root(), "--json", "--name", "other", "--ext", "h,cpp",
                             "--exclude-files", "", "--exclude-dirs", "m1"});
    ASSERT_EQ(r.status, 0);
    const auto j = nlohmann::json::parse(r.out);
    EXPECT_EQ(j["files"].size(), 20u - 7u + 2u);  // m1 holds 7 files; stdafx.cpp and x.h join
    EXPECT_TRUE(std::filesystem::exists(tree.path("other.cbb")));
}

TEST_F(CliBuildTest, MethodsModernCountsNamespacedBodiesAndRebuildsOnChange)
{
    TempTree ns("nsproj");
    for (int i = 0; i < 30; ++i)
        ns.Write("f" + std::to_string(i) + ".cpp",
                 "namespace app {\nint f" + std::to_string(i) + "(int a) {\n    return a;\n}\n}\n");
    const CliRun classic = RunCli({"build", ns.root(), "--json"});
    ASSERT_EQ(classic.status, 0) << classic.err;
    EXPECT_EQ(nlohmann::json::parse(classic.out)["measures"]["totalMethods"], 0);
    EXPECT_EQ(classic.err,
              "codeburg-cli: 30 function bodies inside namespaces or class bodies were not "
              "counted as methods; use --methods modern\n");

    // Another rule makes the statistics out of date, without --force.
    const CliRun modern = RunCli({"build", ns.root(), "--json", "--methods", "modern"});
    ASSERT_EQ(modern.status, 0) << modern.err;
    EXPECT_EQ(nlohmann::json::parse(modern.out)["measures"]["totalMethods"], 30);
    EXPECT_EQ(modern.err, "");
    const CliRun again = RunCli({"build", ns.root(), "--methods", "modern"});
    EXPECT_NE(again.err.find("is up to date, not rebuilt"), std::string::npos) << again.err;
    const CliRun back = RunCli({"build", ns.root()});
    EXPECT_EQ(back.err.find("is up to date"), std::string::npos) << back.err;

    // A few skipped bodies are not worth a word.
    EXPECT_EQ(RunCli({"build", tree.root(), "--force"}).err, "");
}

TEST_F(CliBuildTest, QualityGateExitsWithThree)
{
    EXPECT_EQ(RunCli({"build", tree.root(), "--min-score", "101"}).status, 3);
    EXPECT_EQ(RunCli({"build", tree.root(), "--min-score", "0"}).status, 0);
}

TEST_F(CliBuildTest, FailuresWriteNothing)
{
    EXPECT_EQ(RunCli({"build", tree.root(), "--ext", "none"}).status, 1);
    EXPECT_FALSE(std::filesystem::exists(tree.path("proj.cbb")));
    EXPECT_EQ(RunCli({"build", tree.root(), "--name", "../escape"}).status, 1);
    EXPECT_FALSE(std::filesystem::exists(tree.path("../escape.cbb")));
    EXPECT_EQ(RunCli({"build", tree.path("missing")}).status, 1);
    EXPECT_EQ(RunCli({"build"}).status, 2);
    EXPECT_EQ(RunCli({"build", tree.root(), "--linecount", "x"}).status, 2);
}

// Not-a-number passes every comparison: as a line count it used to reach an
// undefined conversion, as a gate it let every score through.
TEST_F(CliBuildTest, NumbersThatAreNotNumbersAreUsageErrors)
{
    for (const char* option : {"--linecount", "--min-score"})
        for (const char* value : {"nan", "-nan", "inf", "1e999"}) {
            const CliRun r = RunCli({"build", tree.root(), option, value});
            EXPECT_EQ(r.status, 2) << option << " " << value;
            EXPECT_NE(r.err.find(option), std::string::npos) << r.err;
        }
    EXPECT_FALSE(std::filesystem::exists(tree.path("proj.cbb")));
}

TEST_F(CliBuildTest, ShowRejectsAMalformedFile)
{
    ASSERT_EQ(RunCli({"build", tree.root()}).status, 0);
    const std::string bytes = ReadAll(tree.path("proj.cbb"));
    std::ofstream(tree.path("cut.cbb"), std::ios::binary) << bytes.substr(0, bytes.size() / 2);
    const CliRun r = RunCli({"show", tree.path("cut.cbb")});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("cut.cbb"), std::string::npos);
    EXPECT_EQ(RunCli({"show", tree.path("none.cbb")}).status, 1);
}

// A link or folder in the statistics file's place is never written through
// or into, and an unreadable old file (the link's target) only triggers a
// rebuild that then fails, naming the file.
TEST_F(CliBuildTest, NeverWritesThroughALink)
{
    const std::string victim = tree.Write("../victim", "export PATH=/bin\n");
    std::filesystem::create_symlink(victim, tree.path("proj.cbb"));
    CliRun r = RunCli({"build", tree.root()});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("cannot write statistics file " + tree.path("proj.cbb") +
                         ": it is a symbolic link"),
              std::string::npos)
        << r.err;
    EXPECT_EQ(ReadAll(victim), "export PATH=/bin\n");
    EXPECT_TRUE(std::filesystem::is_symlink(tree.path("proj.cbb")));

    std::filesystem::create_directory(tree.path("dir.cbb"));
    r = RunCli({"build", tree.root(), "--name", "dir"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("dir.cbb: it is a directory"), std::string::npos) << r.err;
}

// A save that fails is a failed build: a message naming the file and the
// reason, exit 1, no score sheet, and the old statistics as they were.
TEST_F(CliBuildTest, FailedSaveIsAFailure)
{
    ASSERT_EQ(RunCli({"build", tree.root()}).status, 0);
    const std::string old = ReadAll(tree.path("proj.cbb"));
    const CliRun r = RunCli({"build", tree.root(), "--force", "--name", std::string(300, 'n')});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find(std::string(300, 'n') + ".cbb: File name too long"), std::string::npos)
        << r.err;
    EXPECT_EQ(ReadAll(tree.path("proj.cbb")), old);

    if (geteuid() != 0) {  // the administrator writes into read-only folders
        std::filesystem::permissions(tree.root(), std::filesystem::perms::owner_write,
                                     std::filesystem::perm_options::remove);
        const CliRun readOnly = RunCli({"build", tree.root(), "--force"});
        std::filesystem::permissions(tree.root(), std::filesystem::perms::owner_write,
                                     std::filesystem::perm_options::add);
        EXPECT_EQ(readOnly.status, 1);
        EXPECT_NE(readOnly.err.find("Permission denied"), std::string::npos) << readOnly.err;
        EXPECT_EQ(ReadAll(tree.path("proj.cbb")), old);
    }
}

// The disk fills up while the statistics are saved.
TEST(CliFullDiskTest, FailedSaveOnAFullDiskIsAFailure)
{
    TempTree tree;
    const std::string disk = tree.path("disk");
    std::filesystem::create_directories(disk);
    const bool mounted = testing::MountSmallDisk(disk);
    // The sources lie elsewhere, reached by links, which take no room.
    for (int i = 0; i < 150; ++i) {
        const std::string name = "f" + std::to_string(i) + ".cpp";
        std::filesystem::create_symlink(tree.Write("src/" + name, SampleSource(i)),
                                        disk + "/" + name);
    }
    // A little file fits, the statistics of the whole project do not.
    std::ofstream(disk + "/disk.cbb", std::ios::binary) << "old";
    const CliRun r = mounted
                         ? RunCli({"build", disk, "--force"})
                         : RunCli({"build", disk, "--force"}, {}, testing::LimitFileSizeInChild);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("cannot write statistics file " + disk +
                         "/disk.cbb: " + std::strerror(mounted ? ENOSPC : EFBIG)),
              std::string::npos)
        << r.err;
    EXPECT_EQ(ReadAll(disk + "/disk.cbb"), "old");
    size_t entries = 0;
    for (const auto& entry : std::filesystem::directory_iterator(disk))
        entries += entry.path().extension() != ".cpp";
    EXPECT_EQ(entries, 1u);  // no temporary left
    if (mounted) testing::UnmountSmallDisk(disk);
}

TEST_F(CliBuildTest, RootAndEmptyNamesAreRefused)
{
    std::filesystem::create_directory_symlink("/", tree.path("../root-link"));
    for (const std::string& root :
         {std::string("/"), std::string("/tmp/.."), tree.path("../root-link")}) {
        const CliRun r = RunCli({"build", root});
        EXPECT_EQ(r.status, 1) << root;
        EXPECT_NE(r.err.find("is the root of the file system"), std::string::npos) << r.err;
    }
    const CliRun r = RunCli({"build", tree.root(), "--name", ""});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("must not be empty"), std::string::npos) << r.err;
    EXPECT_FALSE(std::filesystem::exists(tree.path(".cbb")));
}

// What a build leaves out is named on standard error and in the JSON; a
// build that reads everything prints exactly what it always did.
TEST_F(CliBuildTest, NamesTheFilesItLeavesOut)
{
    CliRun r = RunCli({"build", tree.root(), "--json"});
    ASSERT_EQ(r.status, 0);
    EXPECT_FALSE(nlohmann::json::parse(r.out).contains("skipped"));
    EXPECT_EQ(r.err, "");

    const std::string huge = tree.Write("m0/huge.cpp", "");
    ASSERT_EQ(truncate(huge.c_str(), (off_t{1} << 30) + 1), 0);
    r = RunCli({"build", tree.root(), "--json", "--force"});
    ASSERT_EQ(r.status, 0) << r.err;
    const auto j = nlohmann::json::parse(r.out);
    ASSERT_TRUE(j.contains("skipped"));
    ASSERT_EQ(j["skipped"].size(), 1u);
    EXPECT_EQ(j["skipped"][0]["path"], huge);
    EXPECT_EQ(j["skipped"][0]["reason"].get<std::string>().rfind("file too large", 0), 0u);
    EXPECT_NE(r.err.find("warning: proj: 1 file or folder was left out: " + huge),
              std::string::npos)
        << r.err;
}

// Readers never wait on a FIFO nor read a device without end.
TEST_F(CliBuildTest, ShowRefusesWhatIsNotARegularFile)
{
    ASSERT_EQ(mkfifo(tree.path("fifo.cbb").c_str(), 0600), 0);
    CliRun r = RunCli({"show", tree.path("fifo.cbb")});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("fifo.cbb: it is a FIFO"), std::string::npos) << r.err;
    r = RunCli({"show", "/dev/zero"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("/dev/zero: it is a device"), std::string::npos) << r.err;
    r = RunCli({"show", tree.root()});
    EXPECT_NE(r.err.find(": it is a directory"), std::string::npos) << r.err;
}

}  // namespace codeburg
