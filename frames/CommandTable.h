#pragma once

#include <functional>
#include <map>

// Every command of the program with its one handler: the id of a menu item, accelerator or
// toolbar button is registered once, with what it does and when it is enabled. A command no
// one registered is disabled.
class CommandTable {
public:
    using Run = std::function<void()>;
    using Enabled = std::function<bool()>;

    // `enabled` left empty: always enabled. An id registered twice is a programming error.
    void add(unsigned id, Run run, Enabled enabled = {});

    bool contains(unsigned id) const { return m_commands.count(id) != 0; }
    // False when no one registered the command or it is disabled now.
    bool run(unsigned id) const;
    bool isEnabled(unsigned id) const;

private:
    struct Command {
        Run run;
        Enabled enabled;
    };
    std::map<unsigned, Command> m_commands;
};
