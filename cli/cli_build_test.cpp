// Runs the real codeburg-cli binary on scratch trees.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <nlohmann/json.hpp>

#include "analysis/temp_tree_test_util.h"
#include "cli/cli_run_test_util.h"

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
    const CliRun r =
        RunCli({"build", tree.root(), "--json", "--name", "other", "--ext", "h,cpp",
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

}  // namespace codeburg
