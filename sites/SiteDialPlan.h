#pragma once

#include <optional>

#include "modem/DialPlan.h"
#include "sites/Site.h"

// The call a dial-up site asks of its modem, the one place a site's keys become the dialer's
// plan; none for a site whose calculator is on its port itself.
std::optional<DialPlan> dialPlanOf(const Site& site);
