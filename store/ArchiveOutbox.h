#pragma once

#include <QSet>
#include <QString>
#include <atomic>
#include <vector>

// The archive as the outbox of the common archive: every form and every exchange record below
// its root that the sent-ledger does not hold. Nothing is copied: the files are the outbox.
namespace ArchiveOutbox {

struct Item {
    enum class Kind { Form, Record };
    Kind kind = Kind::Form;
    QString path;       // below the root, with '/'
    QString month;      // "2026-12": the ledger file it goes to
    qint64 timeMs = 0;  // when it came, for the order; filled by ordered()
};

// The unsent items, unordered: names only, nothing read. `stop`, when set, ends it early.
std::vector<Item> unsent(const QString& root, const QSet<QString>& sent,
                         const std::atomic<bool>* stop = nullptr);
// `items` oldest first: a form by the time its name tells (or its file's time), a record by
// its exchange's start.
std::vector<Item> ordered(const QString& root, std::vector<Item> items);

struct Backlog {
    int forms = 0;
    int records = 0;
};
// What is not yet in the store last sent to from this archive, without a connection: every
// form and record when none was ever reached.
Backlog backlog(const QString& root);

}  // namespace ArchiveOutbox
