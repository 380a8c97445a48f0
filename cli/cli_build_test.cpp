// Runs the real codeburg-cli binary on scratch trees.
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <nlohmann/json.hpp>

#include "analysis/temp_tree_test_util.h"

namespace codeburg {

namespace {

using testing::SampleSource;
using testing::TempTree;

struct RunResult {
    int status = -1;
    std::string out;
};

// Standard error goes to "errFile" so the two streams stay apart.
RunResult RunCli(const std::string& arguments, const std::string& errFile = "/dev/null")
{
    RunResult result;
    const std::string command =
        std::string(CODEBURG_CLI) + " " + arguments + " 2>" + errFile + " </dev/null";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return result;
    char chunk[4096];
    size_t n;
    while ((n = fread(chunk, 1, sizeof chunk, pipe)) > 0) result.out.append(chunk, n);
    const int status = pclose(pipe);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

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
    const RunResult r = RunCli("build " + tree.root() + "/ --force", tree.path("../err"));
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out.rfind("PROJ  files 20  eloc ", 0), 0u) << r.out;
    EXPECT_NE(r.out.find("\nOVERALL "), std::string::npos);
    EXPECT_NE(r.out.find("Lines per method"), std::string::npos);
    EXPECT_TRUE(std::filesystem::exists(tree.path("proj.cbb")));
    EXPECT_EQ(ReadAll(tree.path("../err")), "");  // no progress bar off a terminal
}

TEST_F(CliBuildTest, JsonOfBuildAndShowAgree)
{
    const RunResult built = RunCli("build " + tree.root() + " --json --force");
    ASSERT_EQ(built.status, 0);
    auto b = nlohmann::json::parse(built.out);
    EXPECT_TRUE(b["built"].get<bool>());
    EXPECT_EQ(b["name"], "proj");
    EXPECT_EQ(b["statisticsFile"], tree.path("proj.cbb"));
    ASSERT_EQ(b["files"].size(), 20u);
    EXPECT_TRUE(b["files"][0].contains("colour"));
    EXPECT_EQ(b["topics"].size(), 7u);

    const RunResult shown = RunCli("show " + tree.path("proj.cbb") + " --json");
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
    ASSERT_EQ(RunCli("build " + tree.root()).status, 0);
    const std::string first = ReadAll(tree.path("proj.cbb"));
    const RunResult again = RunCli("build " + tree.root() + " --json", tree.path("../err"));
    ASSERT_EQ(again.status, 0);
    EXPECT_FALSE(nlohmann::json::parse(again.out)["built"].get<bool>());
    EXPECT_NE(ReadAll(tree.path("../err")).find("up to date"), std::string::npos);
    ASSERT_EQ(RunCli("build " + tree.root() + " --force --sequential").status, 0);
    EXPECT_EQ(ReadAll(tree.path("proj.cbb")), first);
}

TEST_F(CliBuildTest, FiltersAndNameOptions)
{
    const RunResult r =
        RunCli("build " + tree.root() + " --json --name other --ext h,cpp --exclude-files '' "
            "--exclude-dirs m1");
    ASSERT_EQ(r.status, 0);
    const auto j = nlohmann::json::parse(r.out);
    EXPECT_EQ(j["files"].size(), 20u - 7u + 2u);  // m1 holds 7 files; stdafx.cpp and x.h join
    EXPECT_TRUE(std::filesystem::exists(tree.path("other.cbb")));
}

TEST_F(CliBuildTest, QualityGateExitsWithThree)
{
    EXPECT_EQ(RunCli("build " + tree.root() + " --min-score 101").status, 3);
    EXPECT_EQ(RunCli("build " + tree.root() + " --min-score 0").status, 0);
}

TEST_F(CliBuildTest, FailuresWriteNothing)
{
    EXPECT_EQ(RunCli("build " + tree.root() + " --ext none").status, 1);
    EXPECT_FALSE(std::filesystem::exists(tree.path("proj.cbb")));
    EXPECT_EQ(RunCli("build " + tree.root() + " --name ../escape").status, 1);
    EXPECT_FALSE(std::filesystem::exists(tree.path("../escape.cbb")));
    EXPECT_EQ(RunCli("build " + tree.path("missing")).status, 1);
    EXPECT_EQ(RunCli("build").status, 2);
    EXPECT_EQ(RunCli("build " + tree.root() + " --linecount x").status, 2);
}

TEST_F(CliBuildTest, ShowRejectsAMalformedFile)
{
    ASSERT_EQ(RunCli("build " + tree.root()).status, 0);
    const std::string bytes = ReadAll(tree.path("proj.cbb"));
    std::ofstream(tree.path("cut.cbb"), std::ios::binary) << bytes.substr(0, bytes.size() / 2);
    const RunResult r = RunCli("show " + tree.path("cut.cbb"), tree.path("../err"));
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(ReadAll(tree.path("../err")).find("cut.cbb"), std::string::npos);
    EXPECT_EQ(RunCli("show " + tree.path("none.cbb")).status, 1);
}

}  // namespace codeburg
