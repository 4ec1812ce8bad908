#pragma once

#include <QSettings>
#include <QStringList>

// The recently used forms, newest first, kept in the per-user profile under "Recent File List"
// as "File1".."FileN", each by its absolute path, at most once. No menu shows them.
class RecentFileList {
public:
    explicit RecentFileList(int size = 4) : m_size(size) {}

    void readList(QSettings& profile);
    void writeList(QSettings& profile) const;
    // Puts `path` first; an entry for the same file moves up instead of standing twice.
    void add(const QString& path);

    const QStringList& entries() const { return m_entries; }
    int size() const { return m_size; }

private:
    int m_size;
    QStringList m_entries;
};
