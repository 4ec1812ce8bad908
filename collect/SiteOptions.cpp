#include "collect/SiteOptions.h"

#include <QFileInfo>

#include "res/Texts.h"
#include "sites/SiteBook.h"
#include "sites/SiteDialPlan.h"

CollectOptions optionsForSite(const CollectOptions& given, const Site& site) {
    CollectOptions o = given;
    o.site = site.name;
    if (!o.port && !site.port.isEmpty()) o.port = site.port;
    if (!o.deviceType) o.deviceType = site.device;
    if (!o.rate) o.rate = site.speed;
    o.dial = dialPlanOf(site);
    return o;
}

SiteChoice chooseSites(const CollectOptions& options) {
    const QString path = options.sitesFile.value_or(SiteBook::userPath());
    // The book reads a missing file as an empty one (nobody has made sites yet); a collection
    // asked for sites says plainly that the file is not there.
    const QFileInfo file(path);
    if (!file.exists() && !file.isSymLink()) return {{}, texts::collectNoSitesFile(path)};
    SiteBook::Loaded book = SiteBook::load(path);
    if (!book.problem.isEmpty()) return {{}, book.problem};
    // A site whose modem calls in and that has no port is the listening service's to read:
    // left to the round, it would be read on Tabulon.ini's port, another calculator's.
    const auto listenOnly = [](const Site& site) { return site.port.isEmpty() && site.callsIn(); };
    if (options.all) {
        if (book.sites.isEmpty()) return {{}, texts::collectEmptyBook(path)};
        book.sites.removeIf(listenOnly);
        return {book.sites, {}};
    }
    const Site* site = SiteBook::find(book.sites, options.site.value_or(QString()));
    if (!site) return {{}, texts::collectUnknownSite(options.site.value_or(QString()), path)};
    if (listenOnly(*site)) return {{}, texts::collectCallsIn(site->name)};
    return {{*site}, {}};
}
