#include "workspace/folder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "scoring/scoring_settings.h"
#include "workspace/project.h"

namespace codeburg {

namespace {

namespace fs = std::filesystem;

std::vector<std::string> Names(const Folder& folder)
{
    std::vector<std::string> names;
    for (const auto& p : folder.projects) names.push_back(p->name);
    return names;
}

Project* Add(Folder& folder, const std::string& name, float score = 0.0f)
{
    auto project = std::make_unique<Project>(nullptr, &folder, name);
    project->stats->measures.overallScore = score;
    return folder.AddProject(std::move(project));
}

// A scratch directory removed with everything in it when the test ends.
struct TempDir {
    fs::path path;
    TempDir()
    {
        path = fs::temp_directory_path() /
               ("cb_folder_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(path);
        fs::create_directories(path);
    }
    ~TempDir() { fs::remove_all(path); }
};

void Touch(const fs::path& path)
{
    std::ofstream(path) << "x";
}

}  // namespace

TEST(FolderTest, ProjectsAreSortedWithEqualNamesAfter)
{
    Folder folder("f");
    Add(folder, "beta");
    Add(folder, "Alpha");
    Add(folder, "alpha");
    EXPECT_EQ(Names(folder), (std::vector<std::string>{"Alpha", "alpha", "beta"}));
    Project* second = Add(folder, "ALPHA");
    EXPECT_EQ(folder.projects[2].get(), second);
    EXPECT_EQ(second->parent, &folder);
}

TEST(FolderTest, NewProjectHasTheDefaults)
{
    ScoringSettings settings;
    Project p(&settings, nullptr, "core");
    EXPECT_EQ(p.excludedFiles, "stdafx.cpp");
    EXPECT_EQ(p.extensions, "cpp,cc,java,asm");
    EXPECT_TRUE(p.excludedDirs.empty() && p.lastBuild.empty() && p.developer.empty());
    EXPECT_EQ(p.viewpointCount, 0);
    EXPECT_EQ(p.statisticsLoaded, 0);
    EXPECT_EQ(p.stats->settings, &settings);
    EXPECT_EQ(p.Identifier(), "core0");
    p.stats->measures.totalMethods = 42;
    EXPECT_EQ(p.Identifier(), "core42");
    p.stats.reset();
    EXPECT_EQ(p.Identifier(), "core0");
}

TEST(FolderTest, StatisticsPathJoinsDirectoryAndName)
{
    Project p(nullptr, nullptr, "core");
    p.directory = "/src";
    EXPECT_EQ(p.StatisticsPath(), "/src/core.cbb");
    p.directory = "/src/";
    EXPECT_EQ(p.StatisticsPath(), "/src/core.cbb");
}

TEST(FolderTest, FolderPercentAveragesProjectsAndSubfolders)
{
    Folder folder("f");
    Add(folder, "a", 0.5f);
    Add(folder, "b", 1.0f);
    auto* sub = folder.AddSubfolder(std::make_unique<Folder>("sub"));
    Add(*sub, "c", 0.305f);
    Add(*sub, "d", 0.30f);
    EXPECT_EQ(sub->FolderPercent(), 30);
    EXPECT_EQ(folder.FolderPercent(), (50 + 100 + 30) / 3);
    EXPECT_EQ(Folder("empty").FolderPercent(), 0);
}

TEST(FolderTest, CountingAndCollectingVisitOwnProjectsFirst)
{
    Folder root;
    auto* a = root.AddSubfolder(std::make_unique<Folder>("a"));
    auto* b = root.AddSubfolder(std::make_unique<Folder>("b"));
    auto* aa = a->AddSubfolder(std::make_unique<Folder>("aa"));
    Add(*aa, "p3");
    Add(*a, "p2");
    Add(*b, "p4");
    Add(root, "p1");
    EXPECT_EQ(root.CountProjects(false), 1);
    EXPECT_EQ(root.CountProjects(true), 4);
    std::vector<Project*> all;
    root.CollectProjects(all);
    std::vector<std::string> names;
    for (Project* p : all) names.push_back(p->name);
    EXPECT_EQ(names, (std::vector<std::string>{"p1", "p2", "p3", "p4"}));
}

TEST(FolderTest, RemoveSubfolderFindsNestedFoldersAndKeepsOrder)
{
    Folder root;
    auto* a = root.AddSubfolder(std::make_unique<Folder>("a"));
    auto* b = root.AddSubfolder(std::make_unique<Folder>("b"));
    auto* c = root.AddSubfolder(std::make_unique<Folder>("c"));
    auto* nested = b->AddSubfolder(std::make_unique<Folder>("n"));
    Folder stranger;
    EXPECT_FALSE(root.RemoveSubfolder(&stranger));
    EXPECT_TRUE(root.RemoveSubfolder(nested));
    EXPECT_TRUE(b->subfolders.empty());
    EXPECT_TRUE(root.RemoveSubfolder(b));
    ASSERT_EQ(root.subfolders.size(), 2u);
    EXPECT_EQ(root.subfolders[0].get(), a);
    EXPECT_EQ(root.subfolders[1].get(), c);
}

TEST(FolderTest, RemoveProjectDeletesOnlyItsOwnStatisticsFile)
{
    TempDir dir;
    Folder root;
    auto* sub = root.AddSubfolder(std::make_unique<Folder>("sub"));
    Project* p = Add(*sub, "core");
    p->directory = dir.path.string();
    Touch(dir.path / "core.cbb");
    Touch(dir.path / "other.cbb");

    EXPECT_TRUE(root.RemoveProject(p, true));  // query only changes nothing
    EXPECT_EQ(sub->projects.size(), 1u);
    EXPECT_TRUE(fs::exists(dir.path / "core.cbb"));

    EXPECT_TRUE(root.RemoveProject(p, false));
    EXPECT_TRUE(sub->projects.empty());
    EXPECT_FALSE(fs::exists(dir.path / "core.cbb"));
    EXPECT_TRUE(fs::exists(dir.path / "other.cbb"));
    EXPECT_FALSE(root.RemoveProject(p, true));
}

TEST(FolderTest, StatisticsDeletionNeverLeavesTheProjectDirectory)
{
    TempDir dir;
    fs::create_directories(dir.path / "inner");
    Touch(dir.path / "victim.cbb");
    fs::create_directories(dir.path / "inner" / "dir.cbb");

    Project escaping(nullptr, nullptr, "../victim");
    escaping.directory = (dir.path / "inner").string();
    escaping.DeleteStatisticsFile();
    EXPECT_TRUE(fs::exists(dir.path / "victim.cbb"));

    Project directoryNamed(nullptr, nullptr, "dir");
    directoryNamed.directory = (dir.path / "inner").string();
    directoryNamed.DeleteStatisticsFile();
    EXPECT_TRUE(fs::exists(dir.path / "inner" / "dir.cbb"));

    Project missing(nullptr, nullptr, "none");
    missing.directory = (dir.path / "gone").string();
    missing.DeleteStatisticsFile();  // silent
}

TEST(FolderTest, RemovingAFolderKeepsItsStatisticsFiles)
{
    TempDir dir;
    Folder root;
    auto* sub = root.AddSubfolder(std::make_unique<Folder>("sub"));
    Add(*sub, "core")->directory = dir.path.string();
    Touch(dir.path / "core.cbb");
    EXPECT_TRUE(root.RemoveSubfolder(sub));
    EXPECT_TRUE(fs::exists(dir.path / "core.cbb"));
}

TEST(FolderTest, ViewpointSlotsReportEmptyAsNothing)
{
    Project p(nullptr, nullptr, "p");
    p.viewpoints[3] = "1 2 3";
    EXPECT_EQ(p.ViewpointText(3), "1 2 3");
    EXPECT_EQ(p.ViewpointText(0), std::nullopt);
    EXPECT_EQ(p.ViewpointText(9), std::nullopt);
    EXPECT_EQ(p.ViewpointText(-1), std::nullopt);
}

}  // namespace codeburg
