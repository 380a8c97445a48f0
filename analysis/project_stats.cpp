#include "analysis/project_stats.h"

#include <algorithm>

#include "scoring/scoring_settings.h"

namespace codeburg {

namespace {

// Project sums are kept in 64 bits so that a huge tree cannot overflow them;
// the stored counters are 32-bit and saturate instead of wrapping.
int32_t Saturate(int64_t value)
{
    return static_cast<int32_t>(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX));
}

float Ratio(int64_t numerator, int64_t denominator)
{
    return denominator == 0 ? 0.0f : static_cast<float>(numerator) / static_cast<float>(denominator);
}

}  // namespace

ProjectStats::ProjectStats(const ScoringSettings* scoringSettings)
    : settings(scoringSettings),
      topics(scoringSettings ? scoringSettings->topics
                             : DefaultTopics(ScoringSettings::kDefaultLineCount))
{
}

int32_t ProjectStats::LineCount() const
{
    return settings ? settings->lineCount : ScoringSettings::kDefaultLineCount;
}

int32_t ProjectStats::MethodsPerFile() const
{
    const int32_t fileCount = std::max<int32_t>(static_cast<int32_t>(files.size()), 1);
    return measures.totalMethods / fileCount;
}

void ProjectStats::ComputeMeasures(bool reload)
{
    int64_t asserts = 0, comments = 0, empty = 0, eloc = 0, methodEloc = 0, methodCount = 0;
    int64_t within = 0, over = 0, constructors = 0;
    int32_t maxEloc = 0;
    const int32_t limit = LineCount();
    for (const auto& file : files) {
        if (reload) file->RecomputeLimitSums(limit);
        asserts += file->asserts;
        comments += file->commentLines;
        empty += file->emptyLines;
        eloc += int64_t(file->lines) - file->asserts - file->commentLines - file->emptyLines;
        methodEloc += file->methodElocSum;
        methodCount += file->MethodCount();
        maxEloc = std::max(maxEloc, file->maxMethodEloc);
        within += file->elocWithinLimit;
        over += file->elocOverLimit;
        constructors += file->constructors;
    }

    measures.assertRatio = Ratio(asserts, eloc);
    measures.commentRatio = Ratio(comments, eloc);
    measures.spacingRatio = Ratio(empty + comments, eloc);
    measures.elocPerMethod =
        methodCount == 0 ? 0
                         : static_cast<int32_t>(static_cast<float>(methodEloc) /
                                                static_cast<float>(methodCount));
    measures.totalMethods = Saturate(methodCount);
    measures.maxMethodEloc = maxEloc;
    measures.distribution = Ratio(over, within);
    measures.totalEloc = Saturate(eloc);
    measures.constructors = Saturate(constructors);

    if (settings) topics = settings->topics;
    if (topics.size() < 7) topics = DefaultTopics(limit);  // never index past the table
    const ProjectMeasures& m = measures;
    const double perFile = MethodsPerFile();
    SetValue(topics[0], m.commentRatio, m.commentRatio * 100.0f);
    SetValue(topics[1], m.spacingRatio, m.spacingRatio * 100.0f);
    SetValue(topics[2], m.assertRatio, m.assertRatio * 100.0f);
    SetValue(topics[3], static_cast<float>(std::min(m.elocPerMethod, 100) * 0.01),
             static_cast<float>(m.elocPerMethod));
    SetValue(topics[4], static_cast<float>(std::min(m.maxMethodEloc, 100) * 0.01),
             static_cast<float>(m.maxMethodEloc));
    SetValue(topics[5], static_cast<float>(std::min(m.distribution, 10.0f) * 0.1),
             m.distribution);
    SetValue(topics[6], static_cast<float>(std::min(perFile, 100.0) * 0.01),
             static_cast<float>(perFile));
    measures.overallScore = m.totalEloc != 0 ? OverallScore(topics) : 0.0f;
}

}  // namespace codeburg
