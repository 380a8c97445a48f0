#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "scoring/scoring_topic.h"

namespace codeburg {

class IniFile;

// The application's scoring parameters, the method length limit and the
// snapshot quality. Created with the default table.
struct ScoringSettings {
    static constexpr int32_t kDefaultLineCount = 25;
    static constexpr int32_t kDefaultQuality = 75;

    ScoringSettings();

    std::vector<ScoringTopic> topics;
    int32_t lineCount = kDefaultLineCount;
    int32_t snapshotQuality = kDefaultQuality;
};

// The seven default topics for a given line count.
std::vector<ScoringTopic> DefaultTopics(int32_t lineCount);

// Replaces the target's line count and topics with copies of the source's;
// the snapshot quality is not copied.
void Copy(const ScoringSettings& from, ScoringSettings& to);

// Line count 25 and the default table; the snapshot quality stays.
void ResetToDefaults(ScoringSettings& settings);

// "SNAPSHOT"/"QUALITY", "SCORING"/"LINECOUNT" and "coeff01".."coeff07"
// ("weight,reference,tolerance,ratio-,ratio+"). Load gives whatever the file
// does not hold its default, as at start-up: the integers, the topics from the
// first missing or empty coeff entry on, and numbers missing from an entry.
// Save writes all nine entries; false when any could not be written.
void Load(ScoringSettings& settings, const IniFile& ini);
bool Save(const ScoringSettings& settings, IniFile& ini);

}  // namespace codeburg
