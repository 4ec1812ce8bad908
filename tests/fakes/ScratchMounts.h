#pragma once

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <vector>

// Mounts that make a folder read-only, a disk full, or one file writable inside a read-only
// folder, for tests that run as root (whom file modes do not stop). Every mount goes again,
// last first, when the object does. Without the right to mount, ok() is false: skip then.
class ScratchMounts {
public:
    ~ScratchMounts() {
        for (auto it = m_points.rbegin(); it != m_points.rend(); ++it)
            QProcess::execute("umount", {*it});
    }

    // A tmpfs of `bytes` at `where`.
    bool tmpfs(const QString& where, int bytes) {
        return mount(
            {"-t", "tmpfs", "-o", QStringLiteral("size=%1").arg(bytes), "tabulon-test", where},
            where);
    }
    // `from` (a folder or a file) seen at `where` as well, read-only or not.
    bool bind(const QString& from, const QString& where, bool readOnly) {
        if (!mount({"--bind", from, where}, where)) return false;
        return !readOnly || QProcess::execute("mount", {"-o", "remount,bind,ro", where}) == 0;
    }
    // Fills the file system of `folder` up with a file `name`.
    static void fill(const QString& folder, const QString& name = QStringLiteral("filler")) {
        QFile filler(QDir(folder).filePath(name));
        if (!filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) return;
        const QByteArray block(512, 'f');
        while (filler.write(block) == block.size()) {
        }
    }

    bool ok() const { return m_ok; }

private:
    bool mount(const QStringList& arguments, const QString& where) {
        m_ok = m_ok && QProcess::execute("mount", arguments) == 0;
        if (m_ok) m_points.push_back(where);
        return m_ok;
    }

    std::vector<QString> m_points;
    bool m_ok = true;
};
