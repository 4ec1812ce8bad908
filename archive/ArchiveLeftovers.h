#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <functional>
#include <vector>

// A temporary file that an archive broken off (killed, or by a power cut) left in its folder,
// and what became of it.
struct Leftover {
    QString file;  // the temporary file found
    QString path;  // the form's file it became; empty when it held nothing and was removed
    qint64 size = 0;
};

namespace ArchiveLeftovers {

// The name, in its folder, of a form recovered from a leftover: `head` is the start of its
// text, `written` the time it was last written to.
using NameFor = std::function<QString(const QByteArray& head, const QDateTime& written)>;

// The leftovers in `folder` and its month folders whose archive is gone: one that holds text
// becomes a form's file named by `nameFor` (never over another file), an empty one is removed.
// The temporary files of a running archive, of this process or another, are left alone.
std::vector<Leftover> recover(const QString& folder, const NameFor& nameFor);

}  // namespace ArchiveLeftovers
