#pragma once

#include <QList>
#include <QString>

#include "sites/Site.h"

// What the connect command would say of a site's port, type or speed (its very texts), or that
// the name is missing; empty for a site that can be run. A site's port may also be a device
// path or a network serial server's address, which the collector opens as they are.
QString siteProblem(const Site& site);

// Whether `port` is one a site may name: COM1..COM9, an absolute device path, or a well-formed
// "tcp://host:port" / "rfc2217://host:port".
bool isSitePort(const QString& port);

// The type's name as the settings write it ("КСМ-Р"); empty outside 0..5.
QString siteDeviceName(int device);
// The type named `text` exactly, or given by its number "0".."5"; -1 for anything else.
int siteDeviceOf(const QString& text);

// What is wrong with `name` as a site's name by itself (missing, or holding control
// characters); empty when nothing is.
QString siteNameProblem(const QString& name);

// Whether another site than the one at `index` (-1: none) of `sites` bears `name`, or a name
// whose archive folder is `name`'s (see ArchiveName::siteFolder).
bool siteNameTaken(const QList<Site>& sites, const QString& name, int index);
// What the operator is told when `name` is taken: `sameName` when another site bears it but
// for letter case, blanks or how its letters are composed, otherwise that both names give one
// folder; empty when `name` is free.
QString siteNameClash(const QList<Site>& sites, const QString& name, int index,
                      const QString& sameName);

// That sites of `sites` name one port, and which; empty when every port is named once.
QString sitesSharingPort(const QList<Site>& sites);

// A name for a copy of the site named `name` that no site of `sites` bears: "<name> (копия)",
// then "(копия 2)", "(копия 3)", ...; `name` itself stands for the first free one of "<name>",
// "<name> 2", ... when `copy` is false.
QString freeSiteName(const QList<Site>& sites, const QString& name, bool copy);
