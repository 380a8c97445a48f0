#include "gui/profile.h"

#include <QSettings>

namespace codeburg {

namespace {

// A section is used as a group name; a "/" in it (a document title never
// holds one, but a project name might) would open a nested group instead.
QString GroupKey(const QString& section, const QString& key)
{
    QString group = section;
    group.replace(QLatin1Char('/'), QLatin1Char('_'));
    group.replace(QLatin1Char('\\'), QLatin1Char('_'));
    return group + QLatin1Char('/') + key;
}

QSettings& Store()
{
    static QSettings settings(QStringLiteral("halcyon"), QStringLiteral("Codeburg"));
    return settings;
}

}  // namespace

int ProfileInt(const QString& section, const QString& key, int defaultValue)
{
    bool ok = false;
    const int value = Store().value(GroupKey(section, key)).toInt(&ok);
    return ok ? value : defaultValue;
}

QString ProfileString(const QString& section, const QString& key, const QString& defaultValue)
{
    const QVariant value = Store().value(GroupKey(section, key));
    return value.isValid() ? value.toString() : defaultValue;
}

void WriteProfileInt(const QString& section, const QString& key, int value)
{
    Store().setValue(GroupKey(section, key), value);
    Store().sync();
}

void WriteProfileString(const QString& section, const QString& key, const QString& value)
{
    Store().setValue(GroupKey(section, key), value);
    Store().sync();
}

}  // namespace codeburg

namespace codeburg {

void ClearProfile()
{
    Store().clear();
    Store().sync();
}

}  // namespace codeburg
