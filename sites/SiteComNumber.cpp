#include "sites/SiteComNumber.h"

#include <QFileInfo>

#include "platform/NetworkAddress.h"
#include "ports/ComPortDirectory.h"
#include "ports/PortStore.h"
#include "settings/ExchangeChoice.h"

namespace {

bool sameTarget(const QString& port, const std::string& path) {
    const std::string wanted = port.toStdString();
    if (isNetworkAddress(wanted) || isNetworkAddress(path)) {
        const auto a = parseNetworkAddress(wanted);
        return a && a == parseNetworkAddress(path);
    }
    const QString target = QString::fromStdString(path);
    if (target == port) return true;
    const QString resolved = QFileInfo(port).canonicalFilePath();
    return !resolved.isEmpty() && resolved == QFileInfo(target).canonicalFilePath();
}

}  // namespace

int siteComNumber(const QString& port, const ComPortDirectory& directory) {
    if (isExchangePort(port, PortNames::Listed)) return port.mid(3).toInt();
    for (int com = 1; com <= exchangePortItems().size(); ++com) {
        const ComTarget target = directory.target(com);
        if (target.kind != ComTarget::Kind::None && sameTarget(port, target.path)) return com;
    }
    return 0;
}

int siteComNumber(const QString& port) {
    if (isExchangePort(port, PortNames::Listed)) return port.mid(3).toInt();
    PortStore store;
    ComPortDirectory directory(store);
    directory.survey();
    return siteComNumber(port, directory);
}
