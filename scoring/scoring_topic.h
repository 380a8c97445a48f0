#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace codeburg {

// One of the seven ideals a project is rated against. All numbers are 32-bit
// floats on purpose: scores must match to the last bit wherever they are computed.
struct ScoringTopic {
    float value = 0.0f;       // the normalised measure, always within 0..1
    float shownValue = 0.0f;  // the measure in the unit the score sheet prints
    float reference = 0.0f;
    float tolerance = 0.0f;
    float ratioPlus = 0.0f;   // steepness above the band; 0 = no penalty
    float ratioMinus = 0.0f;  // steepness below the band; 0 = no penalty
    float weight = 0.0f;
    std::string name;
    std::string unit;
    int32_t decimals = 0;
};

// Stores value clamped to 0..1 (NaN and negatives store 0); shown as given.
void SetValue(ScoringTopic& topic, float value, float shownValue);

// Full marks inside the tolerance band, hyperbolic decay outside; 0..1.
float TopicScore(const ScoringTopic& topic);

// Weighted mean of the topic scores; 0 when the weights sum to 0.
float OverallScore(const std::vector<ScoringTopic>& topics);

// Integer percent as every view shows a score: score x 100, truncated.
int ScorePercent(float score);

// What the topic editor previews for a sample given as an integer percent:
// the score percents of the sample, of half of it (integer division) and of
// twice it, each sample clamped to 0..100 first. The topic is not changed.
std::array<int, 3> PreviewScores(const ScoringTopic& topic, int samplePercent);

}  // namespace codeburg
