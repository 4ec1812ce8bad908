#include "sites/SiteBookListenKeys.h"

#include "platform/IpAddress.h"
#include "res/Texts.h"
#include "sites/SiteListenKeys.h"

namespace SiteBookListenKeys {

using SiteBookKey::lineOf;
using SiteBookKey::Mistake;
using SiteBookKey::Read;
using SiteBookKey::readText;
using SiteBookKey::tomlLine;

namespace {

Read readBytes(const Site& site, const QString& key, const toml::node& value, QByteArray& into) {
    QString written;
    if (auto mistake = readText(site, key, value, written)) return mistake;
    const std::optional<QByteArray> bytes = SiteListenKeys::parseBytes(written);
    if (!bytes)
        return Mistake{lineOf(value.source()),
                       texts::siteBadValue(site.name, texts::kSiteBadBytes, written)};
    into = *bytes;
    return std::nullopt;
}

Read readReadEvery(Site& site, const toml::node& value) {
    const auto* number = value.as_integer();
    QString written = number ? QString::number(number->get()) : QString();
    if (!number) {
        if (auto mistake = readText(site, QStringLiteral("read_every"), value, written))
            return mistake;
    }
    const std::optional<int> seconds = SiteListenKeys::parseSeconds(written);
    if (!seconds)
        return Mistake{lineOf(value.source()),
                       texts::siteBadValue(site.name, texts::kSiteBadReadEvery, written)};
    site.readEvery = *seconds;
    return std::nullopt;
}

Read readAddress(Site& site, const QString& key, const toml::node& value) {
    if (auto mistake = readText(site, key, value, site.address)) return mistake;
    if (canonicalIpAddress(site.address.toStdString())) return std::nullopt;
    return Mistake{lineOf(value.source()),
                   texts::siteBadValue(site.name, texts::kSiteBadAddress, site.address)};
}

}  // namespace

SiteBookKey::GroupRead read(Site& site, const QString& key, const toml::node& value) {
    if (key == QLatin1String("hello")) return readBytes(site, key, value, site.hello);
    if (key == QLatin1String("heartbeat")) return readBytes(site, key, value, site.heartbeat);
    if (key == QLatin1String("read_every")) return readReadEvery(site, value);
    if (key == QLatin1String("address")) return readAddress(site, key, value);
    return std::nullopt;
}

QByteArray lines(const Site& site) {
    QByteArray out;
    if (!site.hello.isEmpty())
        out +=
            tomlLine(QStringLiteral("hello"), SiteListenKeys::bytesText(site.hello).toStdString());
    if (!site.address.isEmpty())
        out += tomlLine(QStringLiteral("address"), site.address.toStdString());
    if (!site.heartbeat.isEmpty())
        out += tomlLine(QStringLiteral("heartbeat"),
                        SiteListenKeys::bytesText(site.heartbeat).toStdString());
    if (site.readEvery != Site::kDefaultReadEvery)
        out += tomlLine(QStringLiteral("read_every"),
                        SiteListenKeys::secondsText(site.readEvery).toStdString());
    return out;
}

}  // namespace SiteBookListenKeys
