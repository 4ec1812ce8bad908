#pragma once

#include <QString>

#include "platform/LineKey.h"
#include "sites/Site.h"

// The port a site's exchange opens first.
QString siteLinePort(const Site& site);

// The line a site's exchange takes: two sites with the same key are never read at once.
LineKey siteLineKey(const Site& site);
