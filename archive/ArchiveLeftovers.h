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
    QString path;  // the form's file it became; empty when it was removed
    qint64 size = 0;
    // The form that was this very file already, when it was removed for that (its writer was
    // stopped after it named the form and before it removed the temporary name); empty when
    // it was removed because it held nothing.
    QString sameAs;
};

namespace ArchiveLeftovers {

// The name, in its folder, of a form recovered from a leftover: `head` is the start of its
// text, `written` the time it was last written to, `meant` the name its writer meant it for
// (cut short), when the leftover's name tells it.
using NameFor = std::function<QString(const QByteArray& head, const QDateTime& written,
                                      const QString& meant)>;

// A leftover whose writer cannot be judged (of another machine or container, or named by the
// version that told only a process id) is taken once it has been untouched this long.
constexpr qint64 kUnjudgedAfterSecs = 24 * 3600;

// The leftovers in `folder` and its month folders whose archive is gone: one that holds text
// becomes a form's file named by `nameFor` (never over another file), an empty one is removed,
// and one that is a form's file already (its archive stopped between naming the form and
// removing the temporary name) loses the temporary name. The temporary files of a running
// archive, of this process or another, are left alone, and so are those whose archive cannot
// be seen from here until they are old by `now`. Only regular files of the user this runs as
// are taken, never through a link.
std::vector<Leftover> recover(const QString& folder, const NameFor& nameFor, const QDateTime& now);

}  // namespace ArchiveLeftovers
