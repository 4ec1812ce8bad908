#include "sites/SiteBookDialKeys.h"

#include "res/Texts.h"
#include "sites/SiteCheck.h"

namespace SiteBookDialKeys {

using SiteBookKey::isBookPort;
using SiteBookKey::lineOf;
using SiteBookKey::Mistake;
using SiteBookKey::Read;
using SiteBookKey::readChecked;
using SiteBookKey::tomlLine;

namespace {

Read readDialTimeout(Site& site, const toml::node& value) {
    const int line = lineOf(value.source());
    const auto* number = value.as_integer();
    if (!number)
        return Mistake{line, texts::siteKeyNotNumber(site.name, QStringLiteral("dial_timeout"))};
    if (number->get() < kMinDialTimeoutS || number->get() > kMaxDialTimeoutS)
        return Mistake{
            line, texts::siteBadValue(site.name,
                                      texts::badDialTimeout(kMinDialTimeoutS, kMaxDialTimeoutS),
                                      QString::number(number->get()))};
    site.dialTimeout = int(number->get());
    return std::nullopt;
}

}  // namespace

SiteBookKey::GroupRead read(Site& site, const QString& key, const toml::node& value) {
    // The modem's port is the line the exchange opens, as `port` is for a cable.
    if (key == QLatin1String("modem"))
        return readChecked(site, key, value, site.port, isBookPort, texts::kBadPort);
    if (key == QLatin1String("phone"))
        return readChecked(site, key, value, site.phone, isPhoneNumber, texts::kBadPhone);
    if (key == QLatin1String("modem_init"))
        return readChecked(site, key, value, site.modemInit, isModemCommand,
                           texts::kBadModemCommand);
    if (key == QLatin1String("bearer"))
        return readChecked(site, key, value, site.bearer, isModemCommand, texts::kBadModemCommand);
    if (key == QLatin1String("dial_timeout")) return readDialTimeout(site, value);
    return std::nullopt;
}

QByteArray lines(const Site& site) {
    QByteArray out = tomlLine(QStringLiteral("modem"), site.port.toStdString());
    out += tomlLine(QStringLiteral("phone"), site.phone.toStdString());
    if (!site.modemInit.isEmpty())
        out += tomlLine(QStringLiteral("modem_init"), site.modemInit.toStdString());
    if (!site.bearer.isEmpty())
        out += tomlLine(QStringLiteral("bearer"), site.bearer.toStdString());
    if (site.dialTimeout != DialPlan::kDefaultDialTimeoutS)
        out += tomlLine(QStringLiteral("dial_timeout"), site.dialTimeout);
    return out;
}

}  // namespace SiteBookDialKeys
