#pragma once

#include <QList>
#include <QString>

#include "sites/Site.h"

// The site book: a TOML file a person may write by hand, one table per site. Comments survive a
// rewrite only where the book keeps them: the header comment at the top of the file and the
// comment block right above each site's table; comments inside a table are lost.
class SiteBook {
public:
    struct Loaded {
        QList<Site> sites;  // in file order; empty when the file is missing or bad
        QString problem;    // empty, or the Russian message naming the file, line and what
        QString header;     // the comment block at the top of the file, '#' included
    };
    static QString userPath();    // $TABULON_SITES, else <per-user config folder>/sites.toml
    static QString systemPath();  // /etc/tabulon/sites.toml
    static Loaded load(const QString& path);  // a missing file is an empty book, no problem
    // Atomic; refuses (with a message) to replace a file that cannot be read as a book.
    static bool save(const QString& path, const QList<Site>& sites, QString* error);
    static const Site* find(const QList<Site>& sites, const QString& name);

    // A file larger than this is no book a person wrote.
    static constexpr qint64 kMaxBytes = 4 * 1024 * 1024;
};
