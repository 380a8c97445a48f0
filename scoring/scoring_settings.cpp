#include "scoring/scoring_settings.h"

#include <cctype>
#include <charconv>
#include <cstdio>
#include <iterator>
#include <string_view>

#include "platform/ini_file.h"

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

// The 0.01 is the float constant, as everywhere in scoring: 30 x 0.01f rounds
// to 0.29999998f, not to the float nearest 0.3.
float LineCountReference(int32_t lineCount)
{
    return static_cast<float>(static_cast<double>(lineCount) * static_cast<double>(0.01f));
}

constexpr char kScoringSection[] = "SCORING";
constexpr char kSnapshotSection[] = "SNAPSHOT";

std::string CoeffKey(size_t position)
{
    char key[32];
    std::snprintf(key, sizeof key, "coeff%02zu", position);
    return key;
}

// Reads up to "count" numbers the way sscanf reads "%f,%f,...": blanks may
// precede a number, a comma must follow it directly. Stops at the first
// mismatch; the targets not reached keep their values. Independent of the
// C locale, which a GUI may have set to a decimal comma.
void ParseNumbers(std::string_view text, float* const* targets, size_t count)
{
    const char* p = text.data();
    const char* end = text.data() + text.size();
    for (size_t i = 0; i < count; ++i) {
        if (i > 0) {
            if (p == end || *p != ',') return;
            ++p;
        }
        while (p != end && std::isspace(static_cast<unsigned char>(*p))) ++p;
        if (p != end && *p == '+') ++p;
        float value;
        const auto [next, ec] = std::from_chars(p, end, value);
        if (ec != std::errc()) return;
        *targets[i] = value;
        p = next;
    }
}

// "%f" of a float, always with a decimal point whatever the locale.
std::string FormatFixed(float value)
{
    char text[128];
    const auto [end, ec] = std::to_chars(text, text + sizeof text, static_cast<double>(value),
                                         std::chars_format::fixed, 6);
    return ec == std::errc() ? std::string(text, end) : std::string("0.000000");
}

}  // namespace

std::vector<ScoringTopic> DefaultTopics(int32_t lineCount)
{
    return {
        MakeTopic("Comments", 0.5f, 0.05f, 2.0f, 0.0f, 2.0f, "%", 0),
        MakeTopic("Spacing", 0.5f, 0.05f, 1.0f, 0.0f, 0.5f, "%", 0),
        MakeTopic("Asserts", 0.04f, 0.005f, 1.0f, 0.0f, 1.0f, "%", 2),
        MakeTopic("Lines per method", LineCountReference(lineCount), 0.05f, 0.01f, 4.0f, 2.0f,
                  "eloc", 0),
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

void Load(ScoringSettings& settings, const IniFile& ini)
{
    settings.snapshotQuality =
        ini.GetInt(kSnapshotSection, "QUALITY", ScoringSettings::kDefaultQuality);
    settings.lineCount =
        ini.GetInt(kScoringSection, "LINECOUNT", ScoringSettings::kDefaultLineCount);
    // Start from the default table, as a fresh start does: loading is also how
    // Cancel undoes edits, and a topic without an entry must lose them too.
    settings.topics = DefaultTopics(ScoringSettings::kDefaultLineCount);
    for (size_t i = 0; i < settings.topics.size(); ++i) {
        const std::string value =
            ini.GetString(kScoringSection, CoeffKey(i + 1), "", IniFile::kMaxValueLength);
        if (value.empty()) break;
        ScoringTopic& topic = settings.topics[i];
        float* const targets[] = {&topic.weight, &topic.reference, &topic.tolerance,
                                  &topic.ratioMinus, &topic.ratioPlus};
        ParseNumbers(value, targets, std::size(targets));
    }
}

bool Save(const ScoringSettings& settings, IniFile& ini)
{
    bool ok =
        ini.WriteString(kSnapshotSection, "QUALITY", std::to_string(settings.snapshotQuality));
    ok = ini.WriteString(kScoringSection, "LINECOUNT", std::to_string(settings.lineCount)) && ok;
    for (size_t i = 0; i < settings.topics.size(); ++i) {
        const ScoringTopic& topic = settings.topics[i];
        const std::string value = FormatFixed(topic.weight) + "," + FormatFixed(topic.reference) +
                                  "," + FormatFixed(topic.tolerance) + "," +
                                  FormatFixed(topic.ratioMinus) + "," +
                                  FormatFixed(topic.ratioPlus);
        ok = ini.WriteString(kScoringSection, CoeffKey(i + 1), value) && ok;
    }
    return ok;
}

}  // namespace codeburg
