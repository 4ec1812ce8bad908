#include "sites/SiteLineKey.h"

#include "ports/LineClaim.h"

QString siteLinePort(const Site& site) {
    return site.port;
}

LineKey siteLineKey(const Site& site) {
    return lineKeyOfPort(siteLinePort(site).toStdString());
}
