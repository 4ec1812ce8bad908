#pragma once

#include <QString>

// Where the organisation's common archive is: a PostgreSQL connection string or URL (host, port,
// database, user, sslmode). It is looked for in TABULON_STORE, then in store.conf beside the
// per-user site book, then in /etc/tabulon/store.conf beside the collector's site book; the first
// found counts. The password is never ours to keep: an address that holds one is refused, and
// libpq finds it in its own password file (~/.pgpass, PGPASSFILE) or in PGPASSWORD.
struct StoreAddress {
    QString conninfo;  // as given; empty when no store is set
    QString origin;    // the variable or file it came from
    QString error;     // Russian; why the address is refused

    bool configured() const { return !conninfo.isEmpty() && error.isEmpty(); }
    // "user@host:port/database", without a password whatever the address held.
    QString shown() const;
    // The role the address names; empty when libpq is to take its default.
    QString role() const;

    static StoreAddress find();
    // `text` is a file's contents or a variable's value: blank lines and '#' comments are
    // skipped, the first other line is the address.
    static StoreAddress fromText(const QString& text, const QString& origin);

    static QString userFile();    // store.conf beside the per-user site book
    static QString systemFile();  // /etc/tabulon/store.conf
};
