#pragma once

#include <QString>

namespace codeburg {

struct ScoringSettings;

// Reads the scoring parameters and the snapshot quality from the settings
// file; a missing file or entry leaves the defaults.
void LoadSettingsFile(ScoringSettings& settings, const QString& path);

}  // namespace codeburg
