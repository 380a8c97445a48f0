#include "scoring/scoring_settings.h"

namespace codeburg {

namespace {

ScoringTopic MakeTopic(const char* name, float reference, float tolerance, float ratioMinus,
                       float ratioPlus, float weight, const char* unit, int32_t decimals)
{
    ScoringTopic topic;
    topic.name = name;
    topic.reference = reference;
    topic.tolerance = tolerance;
    topic.ratioMinus = ratioMinus;
    topic.ratioPlus = ratioPlus;
    topic.weight = weight;
    topic.unit = unit;
    topic.decimals = decimals;
    return topic;
}

}  // namespace

std::vector<ScoringTopic> DefaultTopics(int32_t lineCount)
{
    return {
        MakeTopic("Comments", 0.5f, 0.05f, 2.0f, 0.0f, 2.0f, "%", 0),
        MakeTopic("Spacing", 0.5f, 0.05f, 1.0f, 0.0f, 0.5f, "%", 0),
        MakeTopic("Asserts", 0.04f, 0.005f, 1.0f, 0.0f, 1.0f, "%", 2),
        MakeTopic("Lines per method", static_cast<float>(lineCount * 0.01), 0.05f, 0.01f, 4.0f,
                  2.0f, "eloc", 0),
        MakeTopic("Max lines", 0.5f, 0.1f, 0.0f, 3.0f, 0.75f, "eloc", 0),
        MakeTopic("Distribution", 0.1f, 0.01f, 0.0f, 1.0f, 1.0f, "", 2),
        MakeTopic("Methods per class", 0.15f, 0.02f, 0.0f, 1.0f, 0.5f, "", 0),
    };
}

ScoringSettings::ScoringSettings() : topics(DefaultTopics(kDefaultLineCount)) {}

void Copy(const ScoringSettings& from, ScoringSettings& to)
{
    to.lineCount = from.lineCount;
    to.topics = from.topics;
}

void ResetToDefaults(ScoringSettings& settings)
{
    Copy(ScoringSettings(), settings);
}

}  // namespace codeburg
