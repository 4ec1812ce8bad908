#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <functional>
#include <optional>
#include <vector>

#include "archive/ArchiveLeftovers.h"
#include "archive/ArchiveSettings.h"

// The disk side of the archive, on the caller's thread: each form's text goes to a temporary
// file (stage), then a batch of them is made durable and named (commit). A form cut short is
// named with "-неполная"; staged again later, longer, it replaces its own file, and once whole
// it takes its ordinary name. A name already taken by any other file is never overwritten, and
// a form is told written only once its data and its name are on the disk.
class ArchiveWriter {
public:
    struct Line {
        QString port, device;
        int rate = 0;
        QString site;  // the site of the book; empty for an exchange without one
    };
    // A form as it stands in the archive.
    struct Entry {
        int number = 0;
        QString path;
        qint64 size = 0;
        bool complete = false;  // its form end had come
    };
    struct Failure {
        int number = 0;
        QString reason;  // Russian, as the operator is told it
        QString folder;
    };
    struct Form {
        int number = 0;
        QByteArray text;  // cp1251, as delivered to its window
        bool complete = false;
        QDateTime received;
    };
    // What became of the forms staged since the last commit, each list in the order it was
    // learnt.
    struct Outcome {
        std::vector<Entry> written;
        std::vector<Failure> failed;
    };
    // Makes everything written so far to the file system holding `folder` durable.
    using Sync = std::function<bool(const QString& folder)>;

    // `sync` defaults to the operating system's own.
    ArchiveWriter(ArchiveSettings settings, Line line, Sync sync = {});

    // Writes the form's text to a temporary file in its folder; nothing when there is nothing
    // new to write, or when writing failed (then commit() tells it).
    void stage(const Form& form);
    // The staged forms made durable, each temporary file given its form's name, the names made
    // durable, and only then the forms counted written: a file is always either its last whole
    // text or the one before.
    Outcome commit();
    // What broken-off archives left in the folder, recovered at `now` (see
    // ArchiveLeftovers::recover).
    std::vector<Leftover> recoverLeftovers(const QDateTime& now);

private:
    // A form written to its temporary file, waiting for the batch's sync and its name.
    struct Staged {
        int number;
        QString path;  // its file; for a form that has none yet, the name it wants
        QString temp;
        qint64 size;
        bool complete;
        bool fresh;          // it has no file under the name it wants yet
        QString superseded;  // its file under the name it had while cut short
    };

    QString siteRoot() const;
    std::optional<QString> pathFor(const Form& form, bool sameForm, bool renamed);
    QString meantName(const Form& form, bool sameForm) const;
    bool writeTemp(const Form& form, const QString& path, const QString& meant, QString& temp,
                   qint64& size);
    void commitStaged();
    bool place(Staged& s, bool dataDurable);
    QString wantedPath(int number, const QDateTime& received, const QByteArray& text, bool complete,
                       Failure& failure) const;
    QString wantedName(int number, const QDateTime& receivedLocal, const QString& title,
                       bool complete) const;
    static QString replace(const Staged& staged);

    const ArchiveSettings m_settings;
    const Line m_line;
    const Sync m_sync;
    std::vector<Staged> m_staged;
    Outcome m_outcome;

    // The form whose file may still grow, and the text it was last given (its length and hash:
    // a form's text only grows).
    int m_openNumber = 0;
    QString m_openPath;
    QDateTime m_openReceived;
    qsizetype m_openSize = 0;
    std::size_t m_openHash = 0;
    bool m_openComplete = false;
};
