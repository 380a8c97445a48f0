#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "pipeline/build_pipeline.h"
#include "records/build_progress_sink.h"
#include "scoring/scoring_settings.h"
#include "workspace/folder.h"
#include "workspace/project_build.h"

namespace codeburg {

namespace {

namespace fs = std::filesystem;

class RecordingSink : public BuildProgressSink {
public:
    std::vector<std::string> statuses;
    void Status(const std::string& objectName, const std::string& verb) override
    {
        statuses.push_back(verb + " " + objectName);
    }
    void FileStep(const std::string&) override {}
    void AddRange(int) override {}
    int Position() override { return 0; }
};

class FolderBuildTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = fs::temp_directory_path() /
              ("cb_fbuild_" + std::to_string(::getpid()) + "_" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
    }
    void TearDown() override { fs::remove_all(dir); }

    Project* Add(Folder& folder, const std::string& name)
    {
        const fs::path source = dir / ("src_" + std::to_string(++count));
        fs::create_directories(source);
        std::ofstream(source / "main.cpp") << "int main()\n{\n    return 0;\n}\n";
        auto* p = folder.AddProject(std::make_unique<Project>(&settings, &folder, name));
        p->directory = source.string();
        return p;
    }

    fs::path dir;
    int count = 0;
    ScoringSettings settings;
};

}  // namespace

TEST_F(FolderBuildTest, EvaluateAllCopiesTheListsOfEveryFolder)
{
    Folder root("root");
    Folder* a = root.AddSubfolder(std::make_unique<Folder>("a"));
    Folder* b = a->AddSubfolder(std::make_unique<Folder>("b"));
    Project* p = Add(*b, "p");
    p->extensions = "cpp,h";
    p->excludedDirs = "gen";
    RecordingSink sink;
    EvaluateAll(root, &sink);
    EXPECT_EQ(sink.statuses,
              (std::vector<std::string>{"Evaluating root", "Evaluating a", "Evaluating b"}));
    EXPECT_EQ(p->stats->extensions, "cpp,h");
    EXPECT_EQ(p->stats->excludedDirs, "gen");
}

TEST_F(FolderBuildTest, BuildAllStopsAtTheFirstFailure)
{
    Folder root("root");
    Folder* sub = root.AddSubfolder(std::make_unique<Folder>("sub"));
    Project* first = Add(root, "a");
    Project* failing = Add(root, "b/unsafe");
    Project* later = Add(*sub, "c");
    EXPECT_EQ(BuildAll(root, nullptr, true, true, nullptr, BuildOptions{}), -1);
    EXPECT_FALSE(first->lastBuild.empty());
    EXPECT_TRUE(failing->lastBuild.empty());
    EXPECT_TRUE(later->lastBuild.empty());

    root.RemoveProject(failing, false);
    EXPECT_EQ(BuildAll(root, nullptr, false, true, nullptr, BuildOptions{}), 0);
    EXPECT_FALSE(later->lastBuild.empty());
    EXPECT_EQ(later->statisticsLoaded, 1);
}

}  // namespace codeburg
