#include "gui/settings_file.h"

#include "platform/ini_file.h"
#include "scoring/scoring_settings.h"

namespace codeburg {

void LoadSettingsFile(ScoringSettings& settings, const QString& path)
{
    const IniFile ini(path.toStdString());
    Load(settings, ini);
}

}  // namespace codeburg
