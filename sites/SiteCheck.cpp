#include "sites/SiteCheck.h"

#include "platform/NetworkAddress.h"
#include "res/Texts.h"
#include "settings/ExchangeChoice.h"

bool isSitePort(const QString& port) {
    if (isExchangePort(port)) return true;
    const std::string path = port.toStdString();
    if (isNetworkAddress(path)) return parseNetworkAddress(path).has_value();
    return port.size() > 5 && port.startsWith(QStringLiteral("/dev/")) &&
           !port.contains(QStringLiteral("/../"));
}

QString siteDeviceName(int device) {
    if (device < 0 || device >= kDeviceTypeCount) return {};
    const std::string_view name = deviceTypeInfo(DeviceType(device)).name;
    return QString::fromUtf8(name.data(), qsizetype(name.size()));
}

int siteDeviceOf(const QString& text) {
    if (const auto type = exchangeDeviceType(text)) return *type;
    bool number = false;
    const int value = text.toInt(&number);
    if (number && text.size() == 1 && value >= 0 && value < kDeviceTypeCount) return value;
    return -1;
}

QString siteProblem(const Site& site) {
    if (site.name.trimmed().isEmpty()) return texts::kSiteNoName;
    if (!isSitePort(site.port)) return texts::kBadPort;
    if (siteDeviceName(site.device).isEmpty()) return texts::kBadDevice;
    if (!exchangeRates().contains(site.speed)) return texts::kBadRate;
    return {};
}

bool siteNameTaken(const QList<Site>& sites, const QString& name, int index) {
    // The name becomes a folder of the archive, where names differing only in letter case or
    // blanks would be hard to tell apart.
    const QString wanted = name.simplified();
    for (int i = 0; i < sites.size(); ++i)
        if (i != index && sites[i].name.simplified().compare(wanted, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

QString freeSiteName(const QList<Site>& sites, const QString& name, bool copy) {
    for (int n = 1;; ++n) {
        QString candidate = name;
        if (copy)
            candidate += n == 1 ? QStringLiteral(" (%1)").arg(texts::kSiteCopy)
                                : QStringLiteral(" (%1 %2)").arg(texts::kSiteCopy).arg(n);
        else if (n > 1)
            candidate += QStringLiteral(" %1").arg(n);
        if (!siteNameTaken(sites, candidate, -1)) return candidate;
    }
}
