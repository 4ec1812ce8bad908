#pragma once

#include <QList>
#include <QString>

#include "sites/Site.h"

// What the connect command would say of a site's port, type or speed (its very texts), read
// under the book's rules (kSiteBookRules), or what is wrong with its name; empty for a site that
// can be run.
QString siteProblem(const Site& site);

// A dial-up site's values by themselves. A phone is what ATD takes: digits and the dial
// modifiers, with the blanks and signs people write numbers with, which modems pass over.
bool isPhoneNumber(const QString& phone);
// A command the modem is given as it stands: "AT..." on one line, which a CR would end early.
bool isModemCommand(const QString& command);
// A dial time-out shorter than a GSM call takes to come up, or longer than anyone waits.
constexpr int kMinDialTimeoutS = 10;
constexpr int kMaxDialTimeoutS = 600;

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

// That sites of `sites` name one port, and which; empty when every port is named once. Dial-up
// sites sharing their modem are no such sites.
QString sitesSharingPort(const QList<Site>& sites);

// A name for a copy of the site named `name` that no site of `sites` bears: "<name> (копия)",
// then "(копия 2)", "(копия 3)", ...; `name` itself stands for the first free one of "<name>",
// "<name> 2", ... when `copy` is false.
QString freeSiteName(const QList<Site>& sites, const QString& name, bool copy);
