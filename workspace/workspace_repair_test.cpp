#include <gtest/gtest.h>

#include <deque>
#include <filesystem>

#include "scoring/scoring_settings.h"
#include "workspace/user_interaction.h"
#include "workspace/workspace.h"

namespace codeburg {

namespace {

namespace fs = std::filesystem;

// Answers from a script and records every question, so a test states both.
class ScriptedUi : public UserInteraction {
public:
    std::deque<bool> answers;
    std::deque<std::optional<std::string>> directories;
    std::vector<std::string> asked;

    void ShowMessage(const std::string& text, const std::string&) override
    {
        asked.push_back("message: " + text);
    }
    bool AskYesNo(const std::string& text, const std::string& title) override
    {
        EXPECT_EQ(title, "Missing Project");
        asked.push_back(text);
        if (answers.empty()) {
            ADD_FAILURE() << "unexpected question: " << text;
            return false;
        }
        const bool answer = answers.front();
        answers.pop_front();
        return answer;
    }
    std::optional<std::string> BrowseForDirectory(const std::string& prompt,
                                                  const std::string& initial) override
    {
        EXPECT_EQ(initial, "");
        asked.push_back("browse: " + prompt);
        if (directories.empty()) {
            ADD_FAILURE() << "unexpected chooser: " << prompt;
            return std::nullopt;
        }
        auto answer = directories.front();
        directories.pop_front();
        return answer;
    }
};

// Projects a, b and c were under T/old/src and now lie under T/new/src;
// project "here" lies in a directory that exists.
class RepairTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        root = fs::temp_directory_path() /
               ("cb_repair_" + std::to_string(::getpid()) + "_" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(root);
        for (const char* name : {"a", "b", "c"})
            fs::create_directories(root / "new" / "src" / name);
        fs::create_directories(root / "here");
        T = root.string();
    }
    void TearDown() override { fs::remove_all(root); }

    std::string File() const
    {
        return "<workspace name=''><folder name='Projects'>"
               "<project name='a' dir='" +
               T +
               "/old/src/a'/>"
               "<project name='b' dir='" +
               T +
               "/old/src/b'/>"
               "<project name='c' dir='" +
               T +
               "/old/src/c'/>"
               "<project name='here' dir='" +
               T +
               "/here'/>"
               "</folder></workspace>";
    }
    int Read(const std::string& text)
    {
        ws.SetUserInteraction(&ui);
        return ws.Read(text);
    }
    std::string Dir(const std::string& name) const
    {
        for (const auto& p : ws.subfolders.at(0)->projects)
            if (p->name == name) return p->directory;
        return "(dropped)";
    }
    std::string Ask(const std::string& name) const
    {
        return "PROJECT: " + name + "\r\n\r\nThe following project directory is missing: " + T +
               "/old/src/" + name +
               ".\r\nDo you want to specify a new directory or ignore that project?\r\n"
               "  Yes = specify a new directory\r\n  No  = ignore project";
    }

    fs::path root;
    std::string T;
    ScoringSettings settings;
    ScriptedUi ui;
    Workspace ws{&settings};
};

const std::string kAskAll = "Should we ignore all remaining projects with the same problem?";

}  // namespace

TEST_F(RepairTest, ExistingDirectoriesAskNothing)
{
    EXPECT_EQ(Read("<workspace name=''><project name='here' dir='" + T + "/here'/></workspace>"),
              0);
    EXPECT_TRUE(ui.asked.empty());
}

TEST_F(RepairTest, AcceptedRuleMovesTheRemainingProjects)
{
    ui.answers = {true, true};
    ui.directories = {T + "/new/src/a"};
    EXPECT_EQ(Read(File()), Workspace::kChangedWhileReading);
    EXPECT_EQ(ui.asked,
              (std::vector<std::string>{
                  Ask("a"), "browse: Select directory for project a",
                  "Should we apply the same change to all remaining projects with the same "
                  "problem?\r\n(that is replacing " +
                      T + "/old with " + T + "/new)"}));
    EXPECT_EQ(Dir("a"), T + "/new/src/a");
    EXPECT_EQ(Dir("b"), T + "/new/src/b");
    EXPECT_EQ(Dir("c"), T + "/new/src/c");
    EXPECT_EQ(Dir("here"), T + "/here");
}

TEST_F(RepairTest, DeclinedRuleAsksForEachProject)
{
    ui.answers = {true, false, true, false, true};
    ui.directories = {T + "/new/src/a", T + "/new/src/b", std::nullopt};
    EXPECT_EQ(Read(File()), Workspace::kChangedWhileReading);
    EXPECT_EQ(ui.asked.size(), 8u);
    EXPECT_EQ(ui.asked[3], Ask("b"));
    EXPECT_EQ(ui.asked[6], Ask("c"));
    EXPECT_EQ(Dir("b"), T + "/new/src/b");
    EXPECT_EQ(Dir("c"), T + "/old/src/c");  // chooser cancelled: kept as it was
}

TEST_F(RepairTest, IgnoringAllDropsEveryLaterMissingProject)
{
    ui.answers = {false, true};
    EXPECT_EQ(Read(File()), Workspace::kChangedWhileReading);
    EXPECT_EQ(ui.asked, (std::vector<std::string>{Ask("a"), kAskAll}));
    ASSERT_EQ(ws.subfolders.at(0)->projects.size(), 1u);
    EXPECT_EQ(Dir("here"), T + "/here");
}

TEST_F(RepairTest, IgnoringOneAsksAboutTheNext)
{
    ui.answers = {false, false, false, false, true, false};
    ui.directories = {std::nullopt};
    EXPECT_EQ(Read(File()), Workspace::kChangedWhileReading);
    EXPECT_EQ(Dir("a"), "(dropped)");
    EXPECT_EQ(Dir("b"), "(dropped)");
    EXPECT_EQ(Dir("c"), T + "/old/src/c");
}

TEST_F(RepairTest, CancelKeepsTheProjectAndLeavesTheFileUnchanged)
{
    ui.answers = {true, true, true};
    ui.directories = {std::nullopt, std::nullopt, std::nullopt};
    EXPECT_EQ(Read(File()), 0);
    EXPECT_EQ(ui.asked.size(), 6u);
    EXPECT_EQ(Dir("a"), T + "/old/src/a");
}

TEST_F(RepairTest, NoCommonEndingOffersNoRule)
{
    fs::create_directories(root / "elsewhere");
    ui.answers = {true, false, true, true, false, true};
    ui.directories = {T + "/elsewhere"};
    EXPECT_EQ(Read(File()), Workspace::kChangedWhileReading);
    EXPECT_EQ(ui.asked[2], Ask("b"));  // straight on to the next project
    EXPECT_EQ(Dir("a"), T + "/elsewhere");
    EXPECT_TRUE(ws.replaceOld.empty() && ws.replaceNew.empty());
}

TEST_F(RepairTest, RuleLeavesDirectoriesWithoutItsOldPartAlone)
{
    ui.answers = {true, true};
    ui.directories = {T + "/new/src/a"};
    EXPECT_EQ(Read("<workspace name=''><folder name='Projects'>"
                   "<project name='a' dir='" +
                   T +
                   "/old/src/a'/>"
                   "<project name='b' dir='/gone/b'/></folder></workspace>"),
              Workspace::kChangedWhileReading);
    EXPECT_EQ(ui.asked.size(), 3u);
    EXPECT_EQ(Dir("b"), "/gone/b");
}

TEST_F(RepairTest, WithoutAnyoneToAskMissingProjectsStay)
{
    EXPECT_EQ(ws.Read(File()), 0);
    EXPECT_EQ(ws.CountProjects(true), 4);
}

TEST(ReplaceRuleTest, RuleIsWhatRemainsBeforeTheCommonEnding)
{
    std::string oldPart, newPart;
    DeriveReplaceRule("/old/src/a", "/new/src/a", oldPart, newPart);
    EXPECT_EQ(oldPart, "/old");
    EXPECT_EQ(newPart, "/new");
    DeriveReplaceRule("/old/SRC/a", "/x/src/A", oldPart, newPart);  // case does not matter
    EXPECT_EQ(oldPart, "/old");
    EXPECT_EQ(newPart, "/x");
    DeriveReplaceRule("/mold/src", "/gold/src", oldPart, newPart);  // by character, not part
    EXPECT_EQ(oldPart, "/m");
    EXPECT_EQ(newPart, "/g");
    DeriveReplaceRule("/a/b", "/c/d", oldPart, newPart);
    EXPECT_EQ(oldPart, "");
    EXPECT_EQ(newPart, "");
    DeriveReplaceRule("src", "/new/src", oldPart, newPart);
    EXPECT_EQ(oldPart, "");
    EXPECT_EQ(newPart, "/new/");
}

TEST(ReplaceRuleTest, ReplacesEveryOccurrenceCaseSensitively)
{
    EXPECT_EQ(ReplaceAll("/old/x/old", "/old", "/new"), "/new/x/new");
    EXPECT_EQ(ReplaceAll("/OLD/x", "/old", "/new"), "/OLD/x");
    EXPECT_EQ(ReplaceAll("aaa", "a", "aa"), "aaaaaa");
    EXPECT_EQ(ReplaceAll("abc", "", "x"), "abc");
}

}  // namespace codeburg
