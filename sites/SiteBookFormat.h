#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include "sites/Site.h"

// The text of a site book, read and written with toml++. Pure functions, so that every kind of
// mistake a person makes in the file is tried from a table.
namespace SiteBookFormat {

struct Parsed {
    QList<Site> sites;  // in file order; empty when there is a problem
    QString problem;    // the message naming `path`, the line and what is wrong
    QString header;     // the comment block at the top, '#' included, one '\n' after each line
};

// `path` only names the file in the message.
Parsed parse(const QByteArray& text, const QString& path);

// A key's value as a field of the window "Объекты" holds it, read as the book reads the key
// written as a string or a number: into `site`, else the reader's message naming the site.
QString readField(Site& site, const QString& key, const QString& text);
QString readField(Site& site, const QString& key, qint64 number);

// The book's text: `header` (the default one when empty), then each site with its comment.
QByteArray format(const QList<Site>& sites, const QString& header);

}  // namespace SiteBookFormat
