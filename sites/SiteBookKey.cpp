#include "sites/SiteBookKey.h"

#include "res/Texts.h"
#include "settings/ExchangeChoice.h"

namespace SiteBookKey {

Read readText(const Site& site, const QString& key, const toml::node& value, QString& into) {
    const auto* text = value.as_string();
    if (!text) return Mistake{lineOf(value.source()), texts::siteKeyNotText(site.name, key)};
    into = fromUtf8(text->get());
    return std::nullopt;
}

bool isBookPort(const QString& port) {
    return isExchangePort(port, kSiteBookRules.ports);
}

Read readChecked(const Site& site, const QString& key, const toml::node& value, QString& into,
                 bool (*valid)(const QString&), const QString& problem) {
    if (auto mistake = readText(site, key, value, into)) return mistake;
    if (valid(into)) return std::nullopt;
    return Mistake{lineOf(value.source()), texts::siteBadValue(site.name, problem, into)};
}

}  // namespace SiteBookKey
