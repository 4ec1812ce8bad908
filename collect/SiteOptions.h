#pragma once

#include <QList>
#include <QString>

#include "collect/CollectOptions.h"
#include "sites/Site.h"

// The options of one site's collection: what the command line says, else what the book says
// (and what the book leaves open, Tabulon.ini).
CollectOptions optionsForSite(const CollectOptions& given, const Site& site);

// The sites the options ask for, read from the book they name; `error` (Russian) when the book
// cannot be read, the site is not in it, or --all finds it empty.
struct SiteChoice {
    QList<Site> sites;
    QString error;
};
SiteChoice chooseSites(const CollectOptions& options);
