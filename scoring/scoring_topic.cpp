#include "scoring/scoring_topic.h"

#include <cmath>

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
    float weights = 0.0f;
    float weighted = 0.0f;
    for (const ScoringTopic& topic : topics) {
        weights += topic.weight;
        weighted += TopicScore(topic) * topic.weight;
    }
    if (weights == 0.0f || std::isnan(weights)) return 0.0f;
    const float result = weighted / weights;
    return result > 1.0f ? 1.0f : result;
}

int ScorePercent(float score)
{
    const double percent = static_cast<double>(score) * 100.0;
    if (!(percent > -1e9 && percent < 1e9)) return 0;  // NaN or absurd: never UB on the cast
    return static_cast<int>(percent);
}

}  // namespace codeburg
