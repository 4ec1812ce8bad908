#include "app/RecentFileList.h"

#include <QFileInfo>

namespace {
const QString kSection = QStringLiteral("Recent File List");
QString entryKey(int i) {
    return kSection + QStringLiteral("/File%1").arg(i + 1);
}
}  // namespace

void RecentFileList::readList(QSettings& profile) {
    m_entries.clear();
    for (int i = 0; i < m_size; ++i) {
        const QString path = profile.value(entryKey(i)).toString();
        if (!path.isEmpty()) m_entries.append(path);
    }
}

void RecentFileList::writeList(QSettings& profile) const {
    profile.remove(kSection);
    for (int i = 0; i < m_entries.size(); ++i) profile.setValue(entryKey(i), m_entries[i]);
}

void RecentFileList::add(const QString& path) {
    if (path.isEmpty()) return;
    const QString full = QFileInfo(path).absoluteFilePath();
    m_entries.removeAll(full);
    m_entries.prepend(full);
    while (m_entries.size() > m_size) m_entries.removeLast();
}
