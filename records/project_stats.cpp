#include "records/project_stats.h"

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

// The quotient is taken in double and rounded once to float, so sums past
// 2^24 do not lose digits before the division.
float Ratio(int64_t numerator, int64_t denominator)
{
    if (denominator == 0) return 0.0f;
    return static_cast<float>(static_cast<double>(numerator) / static_cast<double>(denominator));
}

// The topic scale of a count: min(count, 100) x 0.01, with the float constant
// that the topic references use, so a count on a band edge scores full marks.
float CountScale(int32_t count)
{
    return static_cast<float>(std::min(count, 100)) * 0.01f;
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
    // A loaded file may carry any sums; saturate instead of overflowing the cast.
    measures.elocPerMethod =
        methodCount == 0 ? 0
                         : static_cast<int32_t>(std::clamp(
                               static_cast<double>(methodEloc) / static_cast<double>(methodCount),
                               double(INT32_MIN), double(INT32_MAX)));
    measures.totalMethods = Saturate(methodCount);
    measures.maxMethodEloc = maxEloc;
    measures.distribution = Ratio(over, within);
    measures.totalEloc = Saturate(eloc);
    measures.constructors = Saturate(constructors);

    if (settings) topics = settings->topics;
    if (topics.size() < 7) topics = DefaultTopics(limit);  // never index past the table
    const ProjectMeasures& m = measures;
    const int32_t perFile = MethodsPerFile();
    SetValue(topics[0], m.commentRatio, m.commentRatio * 100.0f);
    SetValue(topics[1], m.spacingRatio, m.spacingRatio * 100.0f);
    SetValue(topics[2], m.assertRatio, m.assertRatio * 100.0f);
    SetValue(topics[3], CountScale(m.elocPerMethod), static_cast<float>(m.elocPerMethod));
    SetValue(topics[4], CountScale(m.maxMethodEloc), static_cast<float>(m.maxMethodEloc));
    SetValue(topics[5], std::min(m.distribution, 10.0f) * 0.1f, m.distribution);
    SetValue(topics[6], CountScale(perFile), static_cast<float>(perFile));
    measures.overallScore = m.totalEloc != 0 ? OverallScore(topics) : 0.0f;
}

int64_t ProjectStats::SkippedBodies() const
{
    int64_t sum = 0;
    for (const auto& file : files) sum += file->skippedBodies;
    return sum;
}

bool ProjectStats::ShouldSuggestModernRule() const
{
    // A handful passed over (an extern "C" block, a local helper class) is
    // no reason to change rules; a quarter of what was found is.
    constexpr int64_t kMinimum = 20;
    const int64_t skipped = SkippedBodies();
    int64_t found = 0;
    for (const auto& file : files) found += file->MethodCount();
    return methodRule == MethodRule::Classic && skipped >= kMinimum && 4 * skipped >= found;
}

std::string SkippedBodiesText(int64_t count)
{
    // Thousands apart by a space, as in "2 310".
    const std::string plain = std::to_string(count);
    const size_t sign = plain[0] == '-' ? 1 : 0;
    std::string digits = plain.substr(0, sign);
    for (size_t i = sign; i < plain.size(); ++i) {
        if (i > sign && (plain.size() - i) % 3 == 0) digits += ' ';
        digits += plain[i];
    }
    return digits + (count == 1 ? " function body inside a namespace or class body was not "
                                  "counted as a method"
                                : " function bodies inside namespaces or class bodies were not "
                                  "counted as methods");
}

}  // namespace codeburg
