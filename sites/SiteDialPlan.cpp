#include "sites/SiteDialPlan.h"

std::optional<DialPlan> dialPlanOf(const Site& site) {
    if (!site.isDialUp()) return std::nullopt;
    DialPlan plan;
    plan.phone = site.phone.toStdString();
    if (!site.modemInit.isEmpty()) plan.init = site.modemInit.toStdString();
    plan.bearer = site.bearer.toStdString();
    plan.dialTimeout = std::chrono::seconds(site.dialTimeout);
    return plan;
}
