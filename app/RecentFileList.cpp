#include "app/RecentFileList.h"

#include <QFileInfo>

namespace {
const QString kSection = QStringLiteral("Recent File List");
QString EntryKey(int i) {
    return kSection + QStringLiteral("/File%1").arg(i + 1);
}
}  // namespace

void RecentFileList::ReadList(QSettings& profile) {
    m_entries.clear();
    for (int i = 0; i < m_size; ++i) {
        const QString path = profile.value(EntryKey(i)).toString();
        if (!path.isEmpty()) m_entries.append(path);
    }
}

void RecentFileList::WriteList(QSettings& profile) const {
    profile.remove(kSection);
    for (int i = 0; i < m_entries.size(); ++i) profile.setValue(EntryKey(i), m_entries[i]);
}

void RecentFileList::Add(const QString& path) {
    if (path.isEmpty()) return;
    const QString full = QFileInfo(path).absoluteFilePath();
    m_entries.removeAll(full);
    m_entries.prepend(full);
    while (m_entries.size() > m_size) m_entries.removeLast();
}
