#include "scoring/scoring_topic.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "scoring/scoring_settings.h"

namespace codeburg {

namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

enum Topic { Comments, Spacing, Asserts, LinesPerMethod, MaxLines, Distribution, MethodsPerClass };

ScoringTopic Default(Topic which)
{
    return DefaultTopics(ScoringSettings::kDefaultLineCount)[which];
}

int PercentAt(Topic which, float value)
{
    ScoringTopic topic = Default(which);
    SetValue(topic, value, 0.0f);
    return ScorePercent(TopicScore(topic));
}

}  // namespace

TEST(ScoringTopicTest, SetValueClampsToTheUnitRange)
{
    ScoringTopic topic;
    SetValue(topic, 0.25f, 25.0f);
    EXPECT_EQ(topic.value, 0.25f);
    EXPECT_EQ(topic.shownValue, 25.0f);
    SetValue(topic, -0.5f, -50.0f);
    EXPECT_EQ(topic.value, 0.0f);
    EXPECT_EQ(topic.shownValue, -50.0f);  // shown as given
    SetValue(topic, 7.0f, 0.0f);
    EXPECT_EQ(topic.value, 1.0f);
    SetValue(topic, kNaN, 0.0f);
    EXPECT_EQ(topic.value, 0.0f);
    SetValue(topic, kInf, 0.0f);
    EXPECT_EQ(topic.value, 1.0f);
}

TEST(ScoringTopicTest, CommentsDecayBelowTheBandOnly)
{
    EXPECT_EQ(PercentAt(Comments, 0.3f), 50);    // 0.3 / ((0.5 - 0.3 - 0.05) x 2 + 0.3)
    EXPECT_EQ(PercentAt(Comments, 0.9f), 100);   // ratio+ 0: no penalty above
    EXPECT_EQ(PercentAt(Comments, 0.47f), 100);  // inside the band
    EXPECT_EQ(PercentAt(Comments, 0.0f), 0);     // nothing below the band scores 0
}

TEST(ScoringTopicTest, LinesPerMethodDecaysOnBothSides)
{
    EXPECT_EQ(PercentAt(LinesPerMethod, 50 * 0.01f), 23);   // 0.25 / ((0.25 - 0.05) x 4 + 0.25)
    EXPECT_EQ(PercentAt(LinesPerMethod, 10 * 0.01f), 99);   // 0.1 / ((0.25-0.1-0.05) x 0.01 + 0.1)
    EXPECT_EQ(PercentAt(LinesPerMethod, 30 * 0.01f), 100);  // the band edge has full marks
    EXPECT_EQ(PercentAt(LinesPerMethod, 20 * 0.01f), 100);
}

TEST(ScoringTopicTest, AssertsAndMaxLinesExamples)
{
    EXPECT_EQ(PercentAt(Asserts, 0.0f), 0);
    EXPECT_EQ(PercentAt(Asserts, 0.01f), 28);   // 0.01 / ((0.04 - 0.01 - 0.005) + 0.01)
    EXPECT_EQ(PercentAt(MaxLines, 1.0f), 29);   // 0.5 / ((0.5 - 0.1) x 3 + 0.5)
    EXPECT_EQ(PercentAt(MaxLines, 0.0f), 100);  // ratio- 0: short methods are never punished
}

TEST(ScoringTopicTest, DivisionByZeroGivesZeroOrClamps)
{
    ScoringTopic topic;
    topic.reference = 0.5f;
    topic.tolerance = 0.0f;
    topic.ratioMinus = -1.0f;  // (0.5 - 0.25) x -1 + 0.25 == 0: 0.25 / 0 is +inf
    SetValue(topic, 0.25f, 0.0f);
    EXPECT_EQ(TopicScore(topic), 1.0f);
    topic.ratioMinus = -2.0f;  // negative quotient
    EXPECT_EQ(TopicScore(topic), 0.0f);
    topic.ratioMinus = kNaN;
    EXPECT_EQ(TopicScore(topic), 0.0f);
    topic.ratioMinus = 1.0f;
    topic.reference = kNaN;              // a NaN distance falls to the above-band branch
    EXPECT_EQ(TopicScore(topic), 1.0f);  // ratio+ 0: no penalty
    topic.ratioPlus = 1.0f;
    EXPECT_EQ(TopicScore(topic), 0.0f);
}

TEST(ScoringTopicTest, AboveTheBandRoundsTheDistanceToFloat)
{
    // d = 0.6f - 0.1f in double is 0.5000000223...; rounded to float it is 0.5.
    ScoringTopic topic;
    topic.reference = 0.1f;
    topic.tolerance = 0.0f;
    topic.ratioPlus = 1.0f;
    SetValue(topic, 0.6f, 0.0f);
    EXPECT_EQ(TopicScore(topic), static_cast<float>(0.1f / (0.5 + 0.1f)));
    EXPECT_NE(TopicScore(topic), static_cast<float>(0.1f / ((double(0.6f) - 0.1f) + 0.1f)));
}

TEST(OverallScoreTest, WeightedMeanOfTheTopics)
{
    std::vector<ScoringTopic> topics = DefaultTopics(ScoringSettings::kDefaultLineCount);
    for (ScoringTopic& topic : topics) SetValue(topic, topic.reference, 0.0f);
    EXPECT_EQ(OverallScore(topics), 1.0f);
    SetValue(topics[Comments], 0.3f, 0.0f);  // scores 0.5
    // (0.5 x 2 + 0.5 + 1 + 2 + 0.75 + 1 + 0.5) / 7.75
    EXPECT_NEAR(OverallScore(topics), 6.75 / 7.75, 1e-6);
    EXPECT_EQ(ScorePercent(OverallScore(topics)), 87);

    for (ScoringTopic& topic : topics) topic.weight = 0.0f;
    EXPECT_EQ(OverallScore(topics), 0.0f);
    EXPECT_EQ(OverallScore({}), 0.0f);
}

TEST(OverallScoreTest, BrokenWeightsNeverGiveNaN)
{
    std::vector<ScoringTopic> topics = DefaultTopics(ScoringSettings::kDefaultLineCount);
    topics[Comments].weight = kNaN;
    EXPECT_EQ(OverallScore(topics), 0.0f);
    topics[Comments].weight = kInf;  // inf / inf
    EXPECT_EQ(OverallScore(topics), 0.0f);
    topics[Comments].weight = -2.0f;  // no lower clamp, but a number
    EXPECT_FALSE(std::isnan(OverallScore(topics)));
}

TEST(ScorePercentTest, TruncatesTowardZero)
{
    EXPECT_EQ(ScorePercent(0.999f), 99);
    EXPECT_EQ(ScorePercent(1.0f), 100);
    EXPECT_EQ(ScorePercent(0.0f), 0);
    EXPECT_EQ(ScorePercent(-0.015f), -1);
    EXPECT_EQ(ScorePercent(kNaN), 0);
}

TEST(PreviewScoresTest, SampleHalfAndDoubleClampedTo100)
{
    const ScoringTopic comments = Default(Comments);
    // 30 x 0.01f is 0.29999998f, a hair below the 0.3 of the worked example.
    EXPECT_EQ(PreviewScores(comments, 30), (std::array<int, 3>{49, 19, 100}));
    EXPECT_EQ(PreviewScores(comments, 80), (std::array<int, 3>{100, 79, 100}));  // 160 -> 100
    EXPECT_EQ(PreviewScores(comments, -10), (std::array<int, 3>{0, 0, 0}));
    const ScoringTopic maxLines = Default(MaxLines);
    EXPECT_EQ(PreviewScores(maxLines, 100), (std::array<int, 3>{29, 100, 29}));
    EXPECT_EQ(PreviewScores(maxLines, 2000000000), (std::array<int, 3>{29, 29, 29}));
}

}  // namespace codeburg
