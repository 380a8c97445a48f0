#include "records/project_stats.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <memory>

#include "scoring/scoring_settings.h"

namespace codeburg {

namespace {

// A file with the given line classes and one method per eloc given.
FileStats& AddFile(ProjectStats& stats, int32_t lines, int32_t comments, int32_t empty,
                   int32_t asserts, std::initializer_list<int32_t> methodElocs)
{
    auto file = std::make_unique<FileStats>("f.cpp", stats.LineCount(), 0u);
    file->lines = lines;
    file->commentLines = comments;
    file->emptyLines = empty;
    file->asserts = asserts;
    for (int32_t eloc : methodElocs) {
        file->AddMethod("C", "m", 0);
        file->FinishMethod(eloc, 0, 0, 0);
    }
    stats.files.push_back(std::move(file));
    return *stats.files.back();
}

}  // namespace

TEST(ProjectStatsTest, MeasuresFollowTheTable)
{
    ScoringSettings settings;
    ProjectStats stats(&settings);
    // eloc 100 - 10 - 30 - 20 = 40 and 60 - 2 - 6 - 12 = 40
    AddFile(stats, 100, 30, 20, 10, {30, 10, 5});
    FileStats& second = AddFile(stats, 60, 6, 12, 2, {20});
    second.constructors = 2;
    stats.ComputeMeasures(false);

    const ProjectMeasures& m = stats.measures;
    EXPECT_EQ(m.totalEloc, 80);
    EXPECT_FLOAT_EQ(m.assertRatio, 12.0f / 80.0f);
    EXPECT_FLOAT_EQ(m.commentRatio, 36.0f / 80.0f);
    EXPECT_FLOAT_EQ(m.spacingRatio, 68.0f / 80.0f);
    EXPECT_EQ(m.totalMethods, 4);
    EXPECT_EQ(m.elocPerMethod, 16);  // 65 / 4 = 16.25, truncated
    EXPECT_EQ(m.maxMethodEloc, 30);
    EXPECT_FLOAT_EQ(m.distribution, 30.0f / 35.0f);  // over 25: the 30
    EXPECT_EQ(m.constructors, 2);
    EXPECT_EQ(stats.MethodsPerFile(), 2);

    const auto& t = stats.topics;
    ASSERT_EQ(t.size(), 7u);
    EXPECT_EQ(t[0].value, m.commentRatio);
    EXPECT_FLOAT_EQ(t[0].shownValue, 45.0f);
    EXPECT_EQ(t[2].value, m.assertRatio);
    EXPECT_EQ(t[3].value, 16 * 0.01f);
    EXPECT_EQ(t[3].shownValue, 16.0f);
    EXPECT_EQ(t[4].value, 30 * 0.01f);
    EXPECT_EQ(t[5].value, m.distribution * 0.1f);
    EXPECT_EQ(t[6].value, 2 * 0.01f);
    EXPECT_EQ(t[6].shownValue, 2.0f);
    EXPECT_EQ(m.overallScore, OverallScore(t));
    EXPECT_GT(m.overallScore, 0.0f);
}

TEST(ProjectStatsTest, LargeCountsAreCappedOnTheTopicScale)
{
    ScoringSettings settings;
    ProjectStats stats(&settings);
    AddFile(stats, 1000, 0, 0, 0, {400, 300});  // over 25 only: distribution has no divisor
    stats.ComputeMeasures(false);
    EXPECT_EQ(stats.measures.distribution, 0.0f);
    EXPECT_EQ(stats.topics[3].value, 1.0f);
    EXPECT_EQ(stats.topics[3].shownValue, 350.0f);
    EXPECT_EQ(stats.topics[4].value, 1.0f);

    AddFile(stats, 10, 0, 0, 0, {1});  // distribution 700
    stats.ComputeMeasures(false);
    EXPECT_FLOAT_EQ(stats.measures.distribution, 700.0f);
    EXPECT_EQ(stats.topics[5].value, 1.0f);  // min(700, 10) x 0.1
}

TEST(ProjectStatsTest, ProjectWithoutFilesHasAllMeasuresZero)
{
    ScoringSettings settings;
    ProjectStats stats(&settings);
    stats.measures.overallScore = 0.7f;  // left from an earlier build
    stats.ComputeMeasures(true);
    const ProjectMeasures& m = stats.measures;
    EXPECT_EQ(m.assertRatio, 0.0f);
    EXPECT_EQ(m.commentRatio, 0.0f);
    EXPECT_EQ(m.spacingRatio, 0.0f);
    EXPECT_EQ(m.elocPerMethod, 0);
    EXPECT_EQ(m.totalMethods, 0);
    EXPECT_EQ(m.maxMethodEloc, 0);
    EXPECT_EQ(m.totalEloc, 0);
    EXPECT_EQ(m.distribution, 0.0f);
    EXPECT_EQ(m.constructors, 0);
    EXPECT_EQ(m.overallScore, 0.0f);
    EXPECT_EQ(stats.MethodsPerFile(), 0);
}

TEST(ProjectStatsTest, FileWithoutEffectiveLinesScoresZero)
{
    ScoringSettings settings;
    ProjectStats stats(&settings);
    AddFile(stats, 10, 6, 4, 0, {});
    stats.ComputeMeasures(false);
    EXPECT_EQ(stats.measures.totalEloc, 0);
    EXPECT_EQ(stats.measures.commentRatio, 0.0f);
    EXPECT_EQ(stats.measures.overallScore, 0.0f);
}

TEST(ProjectStatsTest, ReloadSplitsAtTheCurrentLineCountWithoutAsserts)
{
    ScoringSettings settings;
    ProjectStats stats(&settings);
    auto file = std::make_unique<FileStats>("f.cpp", 25, 0u);
    file->lines = 100;
    file->AddMethod("", "big", 0);
    file->FinishMethod(20, 0, 10, 0);  // 20 + 10 > 25: over after a build
    file->AddMethod("", "small", 0);
    file->FinishMethod(10, 0, 0, 0);
    stats.files.push_back(std::move(file));

    stats.ComputeMeasures(false);
    EXPECT_FLOAT_EQ(stats.measures.distribution, 2.0f);  // 20 over, 10 within

    stats.ComputeMeasures(true);  // after a load: 20 <= 25
    EXPECT_EQ(stats.measures.distribution, 0.0f);
    EXPECT_EQ(stats.files[0]->elocWithinLimit, 30);

    settings.lineCount = 15;  // a changed setting takes effect on rescoring
    stats.ComputeMeasures(true);
    EXPECT_EQ(stats.files[0]->methodLengthLimit, 15);
    EXPECT_FLOAT_EQ(stats.measures.distribution, 2.0f);
}

TEST(ProjectStatsTest, TopicsTakeTheCurrentSettings)
{
    ScoringSettings settings;
    ProjectStats stats(&settings);
    AddFile(stats, 100, 10, 10, 0, {10});
    settings.topics[0].weight = 0.0f;
    settings.topics[1].reference = 0.9f;
    stats.ComputeMeasures(false);
    EXPECT_EQ(stats.topics[0].weight, 0.0f);
    EXPECT_EQ(stats.topics[1].reference, 0.9f);
}

TEST(ProjectStatsTest, CorruptSumsNeitherOverflowNorScoreNaN)
{
    ScoringSettings settings;
    ProjectStats stats(&settings);
    for (int i = 0; i < 3; ++i) {
        FileStats& file = AddFile(stats, INT32_MAX, INT32_MIN, 0, 0, {1});
        file.methodElocSum = INT32_MAX;
    }
    stats.ComputeMeasures(false);
    EXPECT_EQ(stats.measures.elocPerMethod, INT32_MAX);
    EXPECT_EQ(stats.measures.totalEloc, INT32_MAX);
    EXPECT_FALSE(std::isnan(stats.measures.overallScore));
    for (const ScoringTopic& topic : stats.topics) {
        EXPECT_GE(topic.value, 0.0f);
        EXPECT_LE(topic.value, 1.0f);
    }
}

TEST(ProjectStatsTest, ModernRuleIsSuggestedForManySkippedBodies)
{
    ProjectStats stats(nullptr);
    auto file = std::make_unique<FileStats>("a.cpp", 25, uint32_t{0});
    for (int i = 0; i < 60; ++i) file->AddMethod("", "f", 0);
    file->skippedBodies = 19;
    stats.files.push_back(std::move(file));
    EXPECT_FALSE(stats.ShouldSuggestModernRule());  // too few to matter
    stats.files[0]->skippedBodies = 20;
    EXPECT_TRUE(stats.ShouldSuggestModernRule());
    stats.files[0]->skippedBodies = 14;
    auto other = std::make_unique<FileStats>("b.cpp", 25, uint32_t{0});
    other->skippedBodies = 6;
    stats.files.push_back(std::move(other));
    EXPECT_EQ(stats.SkippedBodies(), 20);
    EXPECT_TRUE(stats.ShouldSuggestModernRule());
    for (int i = 0; i < 21; ++i) stats.files[1]->AddMethod("", "g", 0);
    EXPECT_FALSE(stats.ShouldSuggestModernRule());  // under a quarter of 81 found
    stats.files[1]->methods.clear();
    stats.methodRule = MethodRule::Modern;
    EXPECT_FALSE(stats.ShouldSuggestModernRule());

    EXPECT_EQ(SkippedBodiesText(2310),
              "2 310 function bodies inside namespaces or class bodies were not counted as "
              "methods");
    EXPECT_EQ(SkippedBodiesText(1234567).substr(0, 10), "1 234 567 ");
    EXPECT_EQ(SkippedBodiesText(999).substr(0, 4), "999 ");
    EXPECT_EQ(SkippedBodiesText(1),
              "1 function body inside a namespace or class body was not counted as a method");
}

}  // namespace codeburg
