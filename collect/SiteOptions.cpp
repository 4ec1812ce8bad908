#include "collect/SiteOptions.h"

#include "res/Texts.h"
#include "sites/SiteBook.h"

CollectOptions optionsForSite(const CollectOptions& given, const Site& site) {
    CollectOptions o = given;
    o.site = site.name;
    if (!o.port && !site.port.isEmpty()) o.port = site.port;
    if (!o.deviceType) o.deviceType = site.device;
    if (!o.rate) o.rate = site.speed;
    return o;
}

SiteChoice chooseSites(const CollectOptions& options) {
    const QString path = options.sitesFile.value_or(SiteBook::userPath());
    SiteBook::Loaded book = SiteBook::load(path);
    if (!book.problem.isEmpty()) return {{}, book.problem};
    if (options.all) {
        if (book.sites.isEmpty()) return {{}, texts::collectEmptyBook(path)};
        return {book.sites, {}};
    }
    const Site* site = SiteBook::find(book.sites, options.site.value_or(QString()));
    if (!site) return {{}, texts::collectUnknownSite(options.site.value_or(QString()), path)};
    return {{*site}, {}};
}
