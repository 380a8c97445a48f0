#include "app/recent_files.h"

#include "gui/profile.h"

namespace codeburg {

namespace {

const QString kSection = QStringLiteral("Recent File List");

}  // namespace

RecentFiles::RecentFiles(int size) : m_size(size) {}

void RecentFiles::load()
{
    m_entries.clear();
    for (int i = 1; i <= m_size; ++i) {
        const QString path = ProfileString(kSection, QStringLiteral("File%1").arg(i));
        if (!path.isEmpty()) m_entries.append(path);
    }
}

void RecentFiles::add(const QString& path)
{
    m_entries.removeAll(path);
    m_entries.prepend(path);
    while (m_entries.size() > m_size) m_entries.removeLast();
    store();
}

void RecentFiles::remove(int index)
{
    if (index < 0 || index >= m_entries.size()) return;
    m_entries.removeAt(index);
    store();
}

void RecentFiles::store() const
{
    for (int i = 0; i < m_size; ++i) {
        WriteProfileString(kSection, QStringLiteral("File%1").arg(i + 1),
                           i < m_entries.size() ? m_entries[i] : QString());
    }
}

}  // namespace codeburg
