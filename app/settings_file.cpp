#include "app/settings_file.h"

#include "scoring/scoring_settings.h"

#if __has_include("platform/ini_file.h")
#include "platform/ini_file.h"
#define CODEBURG_HAVE_INI_FILE 1
#endif

namespace codeburg {

void LoadSettingsFile(ScoringSettings& settings, const QString& path)
{
#ifdef CODEBURG_HAVE_INI_FILE
    const IniFile ini(path.toStdString());
    Load(settings, ini);
#else
    // Until the settings file reader exists the defaults stand.
    (void)settings;
    (void)path;
#endif
}

}  // namespace codeburg
