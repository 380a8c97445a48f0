#pragma once

#include <QString>

namespace codeburg {

// The per-user profile under the company key "halcyon": sections become
// QSettings groups, key names are kept as they are. Failures are silent and
// the default applies, as with any profile store.
int ProfileInt(const QString& section, const QString& key, int defaultValue);
QString ProfileString(const QString& section, const QString& key, const QString& defaultValue = {});
void WriteProfileInt(const QString& section, const QString& key, int value);
void WriteProfileString(const QString& section, const QString& key, const QString& value);

}  // namespace codeburg

namespace codeburg {

// Forgets every profile value (tests start from the defaults with it).
void ClearProfile();

}  // namespace codeburg
