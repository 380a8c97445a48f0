#pragma once

#include <QString>
#include <QStringList>

namespace codeburg {

// The recent-file list, most recent first, kept in the profile section
// "Recent File List" as "File1" ... "FileN".
class RecentFiles {
public:
    explicit RecentFiles(int size = 5);

    void load();
    void add(const QString& path);
    void remove(int index);
    const QStringList& entries() const { return m_entries; }
    int size() const { return m_size; }

private:
    void store() const;

    int m_size;
    QStringList m_entries;
};

}  // namespace codeburg
