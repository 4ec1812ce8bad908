#include "CommandRouter.h"

const CommandRouter::Link* CommandRouter::Owner(unsigned id) const {
    for (const Link& link : m_links)
        if (link.handles && link.handles(id)) return &link;
    return nullptr;
}

bool CommandRouter::Route(unsigned id) const {
    const Link* owner = Owner(id);
    if (!owner || (owner->enabled && !owner->enabled(id))) return false;
    owner->run(id);
    return true;
}

bool CommandRouter::IsEnabled(unsigned id) const {
    const Link* owner = Owner(id);
    return owner && (!owner->enabled || owner->enabled(id));
}
