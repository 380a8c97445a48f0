#include "scoring/scoring_topic.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace codeburg {

void SetValue(ScoringTopic& topic, float value, float shownValue)
{
    if (!(value >= 0.0f))  // also catches NaN
        topic.value = 0.0f;
    else if (value > 1.0f)
        topic.value = 1.0f;
    else
        topic.value = value;
    topic.shownValue = shownValue;
}

float TopicScore(const ScoringTopic& topic)
{
    const double v = topic.value;
    const double r = topic.reference;
    const double t = topic.tolerance;
    const double d = v - r;
    if (std::fabs(d) <= t) return 1.0f;
    double s;
    if (d <= t) {
        if (topic.ratioMinus == 0.0f) return 1.0f;
        s = v / ((r - v - t) * topic.ratioMinus + v);
    } else {
        if (topic.ratioPlus == 0.0f) return 1.0f;
        const double dRounded = static_cast<float>(d);
        s = r / ((dRounded - t) * topic.ratioPlus + r);
    }
    if (std::isnan(s) || s < 0.0) return 0.0f;
    if (s > 1.0) return 1.0f;
    return static_cast<float>(s);
}

float OverallScore(const std::vector<ScoringTopic>& topics)
{
    // Each product is exact in double; only the running sums are rounded to
    // float, after every step, so the sums match to the bit wherever they run.
    float weights = 0.0f;
    float weighted = 0.0f;
    for (const ScoringTopic& topic : topics) {
        weights = static_cast<float>(static_cast<double>(weights) + topic.weight);
        weighted = static_cast<float>(static_cast<double>(weighted) +
                                      static_cast<double>(TopicScore(topic)) * topic.weight);
    }
    if (weights == 0.0f || std::isnan(weights)) return 0.0f;
    const float result = weighted / weights;
    if (std::isnan(result)) return 0.0f;  // infinite weights from a hand-edited file
    return result > 1.0f ? 1.0f : result;
}

int ScorePercent(float score)
{
    const double percent = static_cast<double>(score) * 100.0;
    if (!(percent > -1e9 && percent < 1e9)) return 0;  // NaN or absurd: never UB on the cast
    return static_cast<int>(percent);
}

std::array<int, 3> PreviewScores(const ScoringTopic& topic, int samplePercent)
{
    const int64_t samples[] = {samplePercent, samplePercent / 2, int64_t(samplePercent) * 2};
    std::array<int, 3> percents{};
    ScoringTopic probe = topic;
    for (size_t i = 0; i < percents.size(); ++i) {
        const auto percent = static_cast<float>(std::clamp<int64_t>(samples[i], 0, 100));
        SetValue(probe, percent * 0.01f, percent);
        percents[i] = ScorePercent(TopicScore(probe));
    }
    return percents;
}

}  // namespace codeburg
