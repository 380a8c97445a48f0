#include "workspace/project_build.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

#include "analysis/temp_tree_test_util.h"
#include "pipeline/build_pipeline.h"
#include "records/build_progress_sink.h"
#include "scoring/scoring_settings.h"
#include "workspace/project.h"
#include "workspace/user_interaction.h"

namespace codeburg {

namespace {

using testing::SampleSource;
using testing::TempTree;
namespace fs = std::filesystem;

class ScriptedUser : public UserInteraction {
public:
    void ShowMessage(const std::string& text, const std::string& title) override
    {
        messages.push_back(title + ": " + text);
    }
    bool AskYesNo(const std::string&, const std::string&) override { return false; }
    std::optional<std::string> BrowseForDirectory(const std::string&, const std::string&) override
    {
        return std::nullopt;
    }
    std::vector<std::string> messages;
};

std::string ReadAll(const std::string& path)
{
    std::stringstream text;
    text << std::ifstream(path, std::ios::binary).rdbuf();
    return text.str();
}

class ProjectBuildTest : public ::testing::Test {
protected:
    ProjectBuildTest() : project(&settings, nullptr, "proj")
    {
        for (int i = 0; i < 12; ++i) tree.Write("f" + std::to_string(i) + ".cpp", SampleSource(i));
        tree.Write("notes.txt", "\n");
        project.directory = tree.root();
    }

    int Build(bool force) { return BuildIfNeeded(project, nullptr, force, false, &user, options); }
    // Dates a file one second after the statistics file, so "newer" needs no
    // sleeping and does not hang on the file system's time granularity.
    void Touch(const std::string& relative)
    {
        tree.Write(relative, "// touched\n");
        fs::last_write_time(tree.path(relative), fs::last_write_time(project.StatisticsPath()) +
                                                     std::chrono::seconds(1));
    }

    TempTree tree;
    ScoringSettings settings;
    Project project;
    ScriptedUser user;
    BuildOptions options;
};

}  // namespace

TEST_F(ProjectBuildTest, BuildSavesStampsAndMarksLoaded)
{
    ASSERT_EQ(Build(false), 0);
    EXPECT_TRUE(fs::exists(tree.path("proj.cbb")));
    EXPECT_TRUE(
        std::regex_match(project.lastBuild, std::regex(R"(\d\d/\d\d/\d\d at \d\d:\d\d:\d\d)")));
    EXPECT_EQ(project.statisticsLoaded, 1);
    EXPECT_EQ(project.stats->files.size(), 12u);
    EXPECT_TRUE(user.messages.empty());
}

TEST_F(ProjectBuildTest, UpToDateCheckFollowsTheFilters)
{
    ASSERT_EQ(Build(false), 0);
    Touch("notes.txt");  // excluded by the extensions
    project.lastBuild.clear();
    ASSERT_EQ(Build(false), 0);
    EXPECT_TRUE(project.lastBuild.empty());

    Touch("f3.cpp");
    ASSERT_EQ(Build(false), 0);
    EXPECT_FALSE(project.lastBuild.empty());

    project.lastBuild.clear();
    ASSERT_EQ(Build(true), 0);  // forced
    EXPECT_FALSE(project.lastBuild.empty());
    ASSERT_EQ(Build(true), 0);  // forced
    EXPECT_FALSE(project.lastBuild.empty());
}

TEST_F(ProjectBuildTest, ChangingTheMethodRuleRebuildsWithoutForce)
{
    ASSERT_EQ(Build(false), 0);
    const int32_t classicMethods = project.stats->measures.totalMethods;
    tree.Write("ns.cpp", "namespace n {\nvoid f() {\n    x();\n}\n}\n");
    fs::last_write_time(tree.path("ns.cpp"), fs::last_write_time(project.StatisticsPath()));

    project.methods = MethodRule::Modern;
    project.lastBuild.clear();
    ASSERT_EQ(Build(false), 0);
    EXPECT_FALSE(project.lastBuild.empty());  // rebuilt, though no source is newer
    EXPECT_EQ(project.stats->methodRule, MethodRule::Modern);
    EXPECT_EQ(project.stats->measures.totalMethods, classicMethods + 1);

    project.lastBuild.clear();
    ASSERT_EQ(Build(false), 0);
    EXPECT_TRUE(project.lastBuild.empty());  // the same rule again: up to date

    project.methods = MethodRule::Classic;
    ASSERT_EQ(Build(false), 0);
    EXPECT_FALSE(project.lastBuild.empty());
    EXPECT_EQ(project.stats->measures.totalMethods, classicMethods);
}

TEST_F(ProjectBuildTest, DamagedTrailerRebuilds)
{
    project.methods = MethodRule::Modern;
    ASSERT_EQ(Build(false), 0);
    std::string bytes = ReadAll(project.StatisticsPath());
    // The rule's value: the first entry after the trailer's 10-byte head.
    const size_t trailerSize = static_cast<uint8_t>(bytes[bytes.size() - 12]) |
                               (static_cast<uint8_t>(bytes[bytes.size() - 11]) << 8) |
                               (static_cast<uint8_t>(bytes[bytes.size() - 10]) << 16);
    bytes[bytes.size() - trailerSize + 10 + 6] ^= 0x40;
    const auto time = fs::last_write_time(project.StatisticsPath());
    std::ofstream(project.StatisticsPath(), std::ios::binary) << bytes;
    fs::last_write_time(project.StatisticsPath(), time);
    project.lastBuild.clear();
    ASSERT_EQ(Build(false), 0);
    EXPECT_FALSE(project.lastBuild.empty());
}

TEST_F(ProjectBuildTest, TwoBuildsOfAnUnchangedTreeAreByteIdentical)
{
    ASSERT_EQ(Build(true), 0);
    const std::string first = ReadAll(project.StatisticsPath());
    options.parallel = false;
    ASSERT_EQ(Build(true), 0);
    EXPECT_EQ(ReadAll(project.StatisticsPath()), first);
    EXPECT_FALSE(first.empty());
}

TEST_F(ProjectBuildTest, NoMatchingFileSavesAndStampsNothing)
{
    project.extensions = "nothing";
    ASSERT_EQ(Build(true), 0);
    EXPECT_FALSE(fs::exists(project.StatisticsPath()));
    EXPECT_TRUE(project.lastBuild.empty());
    EXPECT_EQ(project.statisticsLoaded, 0);
}

// A build whose statistics cannot be saved did not happen: it says why, the
// project keeps its stamp, and a folder build stops there.
TEST_F(ProjectBuildTest, FailedSaveIsReportedAndNotStamped)
{
    fs::create_directory(project.StatisticsPath());
    EXPECT_EQ(Build(true), -1);
    ASSERT_EQ(user.messages.size(), 1u);
    EXPECT_EQ(user.messages[0], "Error: cannot write statistics file " + project.StatisticsPath() +
                                    ": it is a directory");
    EXPECT_TRUE(project.lastBuild.empty());
    EXPECT_EQ(project.statisticsLoaded, 0);
    EXPECT_TRUE(fs::is_directory(project.StatisticsPath()));

    std::string error;
    EXPECT_EQ(BuildProject(project, nullptr, false, options, &error), -1);
    EXPECT_EQ(error,
              "cannot write statistics file " + project.StatisticsPath() + ": it is a directory");
}

TEST_F(ProjectBuildTest, RootIsNoProjectDirectory)
{
    fs::create_directory_symlink("/", tree.path("../to-root"));
    for (const std::string& root :
         {std::string("/"), std::string("/tmp/../"), tree.path("../to-root")}) {
        EXPECT_TRUE(IsRootDirectory(root)) << root;
        project.directory = root;
        user.messages.clear();
        EXPECT_EQ(Build(true), -1) << root;
        ASSERT_EQ(user.messages.size(), 1u);
        EXPECT_EQ(user.messages[0], "Error: " + RootDirectoryMessage(root));
        EXPECT_TRUE(project.stats->files.empty());
    }
    for (const std::string& other : {tree.root(), std::string("/tmp"), std::string("")})
        EXPECT_FALSE(IsRootDirectory(other)) << other;
}

TEST_F(ProjectBuildTest, StoppedBuildLeavesFileStampAndStatistics)
{
    class StopAtFile : public BuildProgressSink {
    public:
        void Status(const std::string&, const std::string&) override {}
        void FileStep(const std::string&) override { ++steps; }
        void AddRange(int) override {}
        int Position() override { return 0; }
        bool StopRequested() override { return steps >= 5; }
        int steps = 0;
    } sink;
    ASSERT_EQ(Build(true), 0);
    const std::string saved = ReadAll(project.StatisticsPath());
    project.lastBuild = "old stamp";
    tree.Write("f12.cpp", SampleSource(12));

    EXPECT_EQ(BuildIfNeeded(project, &sink, true, true, &user, options), kBuildStopped);
    EXPECT_EQ(project.lastBuild, "old stamp");
    EXPECT_EQ(ReadAll(project.StatisticsPath()), saved);
    EXPECT_EQ(project.stats->files.size(), 12u);
    EXPECT_TRUE(user.messages.empty());
}

TEST_F(ProjectBuildTest, UnreadableStatusStopsWithMessage)
{
    project.directory = tree.Write("plainfile", "x");  // "plainfile/proj.cbb" cannot be examined
    EXPECT_EQ(Build(false), -1);
    ASSERT_EQ(user.messages.size(), 1u);
    EXPECT_EQ(user.messages[0], "Error: Can't access file " + project.StatisticsPath());
}

TEST_F(ProjectBuildTest, UnsafeNamesNeverWriteOutsideTheProject)
{
    for (const char* name : {"../escape", "a/b", "/tmp/abs", "a\\b", "..", "x..y", ""}) {
        project.name = name;
        user.messages.clear();
        EXPECT_EQ(Build(true), -1) << name;
        ASSERT_EQ(user.messages.size(), 1u);
        EXPECT_NE(user.messages[0].find(name), std::string::npos);
        EXPECT_EQ(BuildProject(project, nullptr, false, options), -1);
    }
    EXPECT_FALSE(fs::exists(tree.path("../escape.cbb")));
    EXPECT_TRUE(project.lastBuild.empty());
    for (const char* name : {"proj", "My Project", "v1.2", ".hidden"})
        EXPECT_TRUE(IsSafeProjectName(name)) << name;
}

}  // namespace codeburg
