#pragma once

#include <functional>
#include <vector>

// Offers a command to a chain of handlers, the way commands travel from the active view to its
// document, the frame and the application: the first link that knows the command carries it
// out and decides whether it is enabled. A command no link knows is disabled.
class CommandRouter {
public:
    struct Link {
        std::function<bool(unsigned id)> handles;  // does this link know the command now?
        std::function<bool(unsigned id)> enabled;
        std::function<void(unsigned id)> run;
    };

    void Append(Link link) { m_links.push_back(std::move(link)); }

    // False when no link knows the command, or the one that does has it disabled.
    bool Route(unsigned id) const;
    bool IsEnabled(unsigned id) const;

private:
    const Link* Owner(unsigned id) const;
    std::vector<Link> m_links;
};
