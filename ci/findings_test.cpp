#include "ci/findings.h"

#include <gtest/gtest.h>

#include <memory>

#include "ci/gates.h"
#include "records/file_stats.h"
#include "records/project_stats.h"

namespace codeburg {
namespace {

struct M {
    const char* name;
    int eloc, params, line;
};

// One file "src/a.cpp" of class "A" with the given methods; its comment
// ratio is comments per (200 - comments) eloc.
// Findings point into it: it must outlive them.
std::unique_ptr<ProjectStats> Project(std::vector<M> methods, int comments = 20)
{
    auto stats = std::make_unique<ProjectStats>(nullptr);
    auto file = std::make_unique<FileStats>("a.cpp", 25, 0u);
    file->path = "src/a.cpp";
    for (const M& m : methods) {
        file->AddMethod("A", m.name, m.params)->line = m.line;
        file->methods.back()->endLine = m.line + m.eloc + 1;
        file->FinishMethod(m.eloc, 0, 0, 0);
    }
    file->SortMethods();
    file->lines = 200;
    file->commentLines = comments;
    stats->files.push_back(std::move(file));
    return stats;
}

TEST(FindingsTest, LimitsAreExceededStrictlyAndOnlyWhenAsked)
{
    const auto stats = Project({{"fits", 25, 9, 1}, {"longer", 26, 2, 40}});
    FindingLimits limits;
    auto findings = FindFindings(*stats, limits);
    ASSERT_EQ(findings.size(), 1u);  // no parameter or comment rule without its limit
    EXPECT_EQ(findings[0].rule, FindingRule::kMethodLength);
    EXPECT_EQ(findings[0].key.name, "longer");
    EXPECT_EQ(findings[0].line(), 40);
    EXPECT_EQ(findings[0].message,
              "method A::longer has 26 effective lines of code, over the limit of 25");

    limits.maxParams = 8;
    limits.minCommentPercent = 15.0;  // 20 per 180 is 11.1 %
    findings = FindFindings(*stats, limits);
    ASSERT_EQ(findings.size(), 3u);
    EXPECT_EQ(findings[0].rule, FindingRule::kCommentRatio);  // the file's own first
    EXPECT_EQ(findings[0].method, nullptr);
    EXPECT_EQ(findings[0].message,
              "file src/a.cpp has a comment ratio of 11.1 %, below the minimum of 15.0 %");
    EXPECT_EQ(findings[1].key.name, "fits");  // source order, not size order
    EXPECT_EQ(findings[1].rule, FindingRule::kParameterCount);
    EXPECT_EQ(findings[2].key.name, "longer");
    EXPECT_NE(findings[0].fingerprint(), Fingerprint({"src/a.cpp", "", "", 0}));
}

TEST(FindingsTest, BaselineStatesFollowTheMethodNotItsLine)
{
    FindingLimits limits;
    limits.maxParams = 3;
    const auto beforeStats = Project({{"grown", 30, 1, 10}, {"same", 40, 5, 50}});

    const auto before = FindFindings(*beforeStats, limits);
    // Everything moved down 100 lines; one grew, one stayed, one is new.
    const auto afterStats =
        Project({{"fresh", 27, 1, 5}, {"grown", 31, 1, 110}, {"same", 40, 5, 150}});
    const auto after = FindFindings(*afterStats, limits);
    const auto states = CompareWithBaseline(after, before);
    ASSERT_EQ(states.size(), 4u);
    std::vector<std::string> text;
    for (size_t i = 0; i < after.size(); ++i)
        text.push_back(after[i].key.name + " " + RuleId(after[i].rule) + " " +
                       BaselineStateName(states[i]));
    EXPECT_EQ(text, (std::vector<std::string>{
                        "fresh method-length new", "grown method-length updated",
                        "same method-length unchanged", "same parameter-count unchanged"}));
    // A comment ratio gets worse by falling.
    limits.minCommentPercent = 50;
    const auto ratioBeforeStats = Project({}, 30);

    const auto ratioBefore = FindFindings(*ratioBeforeStats, limits);
    const auto ratioAfterStats = Project({}, 20);

    const auto ratioAfter = FindFindings(*ratioAfterStats, limits);
    EXPECT_EQ(CompareWithBaseline(ratioAfter, ratioBefore)[0], BaselineState::kUpdated);
    EXPECT_EQ(CompareWithBaseline(ratioBefore, ratioAfter)[0], BaselineState::kUnchanged);
}

TEST(FindingsTest, BaselineWithoutPathsMatchesByName)
{
    const auto old = Project({{"long", 30, 1, 10}});
    old->files[0]->path.clear();
    const auto before = FindFindings(*old, FindingLimits{});
    const auto afterStats = Project({{"long", 30, 1, 10}, {"more", 31, 1, 50}});

    const auto after = FindFindings(*afterStats, {});
    EXPECT_EQ(CompareWithBaseline(after, before),
              (std::vector<BaselineState>{BaselineState::kUnchanged, BaselineState::kNew}));
}

TEST(GatesTest, ListsParseWholeOrNotAtAll)
{
    EXPECT_EQ(ParseGates("score"), (std::vector<Gate>{Gate::kScore}));
    EXPECT_EQ(ParseGates("new,worse,score"),
              (std::vector<Gate>{Gate::kNew, Gate::kWorse, Gate::kScore}));
    for (const char* bad : {"", "new,", ",new", "New", "new,all", "score worse"})
        EXPECT_EQ(ParseGates(bad), std::nullopt) << bad;
}

TEST(GatesTest, EachGateFailsOnlyOnItsOwnReason)
{
    FindingLimits limits;
    const auto beforeStats = Project({{"grown", 30, 1, 10}});

    const auto before = FindFindings(*beforeStats, limits);
    const auto afterStats = Project({{"grown", 31, 1, 10}, {"fresh", 26, 1, 60}});

    const auto after = FindFindings(*afterStats, limits);
    const auto states = CompareWithBaseline(after, before);
    EXPECT_TRUE(CheckGates({}, 0.9f, 0.1f, after, states).empty());
    const auto newOnly = CheckGates({Gate::kNew}, 0.5f, 0.5f, after, states);
    ASSERT_EQ(newOnly.size(), 1u);
    EXPECT_EQ(newOnly[0].rfind("new finding method-length at src/a.cpp:60: method A::fresh", 0), 0u)
        << newOnly[0];
    const auto worse = CheckGates({Gate::kWorse}, 0.5f, 0.5f, after, states);
    ASSERT_EQ(worse.size(), 1u);
    EXPECT_NE(worse[0].find("A::grown has 31"), std::string::npos);
    // Scores compare in the whole percent the score sheet shows.
    EXPECT_TRUE(CheckGates({Gate::kScore}, 0.8049f, 0.8001f, {}, {}).empty());
    EXPECT_EQ(CheckGates({Gate::kScore}, 0.81f, 0.80f, {}, {}),
              (std::vector<std::string>{"score dropped from 81 % to 80 %"}));
}

}  // namespace
}  // namespace codeburg
