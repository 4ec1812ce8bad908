#pragma once

#include "sites/SiteBookKey.h"

// The keys of a dial-up site in the book: `modem` (the modem's port), `phone`, and what may set
// the call apart from the defaults: `modem_init`, `bearer`, `dial_timeout`.
namespace SiteBookDialKeys {

// Nothing when `key` is none of these keys.
SiteBookKey::GroupRead read(Site& site, const QString& key, const toml::node& value);

// The site's dial-up lines: its modem and phone, then whatever is not the default.
QByteArray lines(const Site& site);

}  // namespace SiteBookDialKeys
