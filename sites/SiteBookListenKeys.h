#pragma once

#include "sites/SiteBookKey.h"

// The keys of a site whose modem calls in: `hello`, `address`, `heartbeat`, `read_every`, read
// and written in the grammar of SiteListenKeys.
namespace SiteBookListenKeys {

// Nothing when `key` is none of these keys.
SiteBookKey::GroupRead read(Site& site, const QString& key, const toml::node& value);

// The keys the site sets, each on its line; empty for a site on a cable or a dial-up one.
QByteArray lines(const Site& site);

}  // namespace SiteBookListenKeys
