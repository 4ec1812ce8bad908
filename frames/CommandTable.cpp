#include "frames/CommandTable.h"

#include <QtGlobal>

void CommandTable::add(unsigned id, Run run, Enabled enabled) {
    const bool added = m_commands.emplace(id, Command{std::move(run), std::move(enabled)}).second;
    Q_ASSERT_X(added, "CommandTable::add", "a command has one handler");
    Q_UNUSED(added);
}

bool CommandTable::run(unsigned id) const {
    if (!isEnabled(id)) return false;
    m_commands.at(id).run();
    return true;
}

bool CommandTable::isEnabled(unsigned id) const {
    const auto it = m_commands.find(id);
    return it != m_commands.end() && (!it->second.enabled || it->second.enabled());
}
