#include "res/CommandActions.h"

#include <QAction>
#include <QKeySequence>
#include <QWidget>

#include "res/Accelerators.h"
#include "res/Icons.h"
#include "res/Menus.h"
#include "res/Strings.h"
#include "res/Toolbar.h"

namespace {

void collectMenuCommands(std::span<const res::MenuItem> items, QList<unsigned>& out) {
    for (const res::MenuItem& item : items) {
        if (item.isPopup())
            collectMenuCommands(item.children, out);
        else if (!item.isSeparator())
            out.append(item.command);
    }
}

QList<QKeySequence> shortcutsOf(unsigned command) {
    QList<QKeySequence> keys;
    for (const res::Accelerator& a : res::acceleratorTable(id::IDR_MAINFRAME)) {
        if (a.command != command) continue;
        keys.append(QKeySequence(a.key));
        // The key table names the Enter key once; the keypad's Enter is the same key there.
        if (a.key.key() == Qt::Key_Return)
            keys.append(QKeySequence(QKeyCombination(a.key.keyboardModifiers(), Qt::Key_Enter)));
    }
    return keys;
}

}  // namespace

CommandActions::CommandActions(QObject* parent) : QObject(parent) {
    QList<unsigned> commands;
    collectMenuCommands(res::menuResource(id::IDR_MAINFRAME), commands);
    collectMenuCommands(res::menuResource(id::IDR_FORMTYPE), commands);
    for (const res::Accelerator& a : res::acceleratorTable(id::IDR_MAINFRAME))
        commands.append(a.command);
    for (const res::ToolbarButton& b : res::toolbarResource(id::IDR_MAINFRAME))
        if (b.command != id::ID_SEPARATOR) commands.append(b.command);
    for (unsigned command : commands)
        if (!m_actions.count(command)) m_actions[command] = create(command);
}

QAction* CommandActions::create(unsigned command) {
    auto* action = new QAction(this);
    action->setData(command);
    const QString tooltip = res::commandTooltip(command);
    action->setText(tooltip);
    action->setToolTip(tooltip);
    action->setStatusTip(res::commandPrompt(command));
    action->setShortcuts(shortcutsOf(command));
    // The Esc that does nothing belongs to the main window and its form windows only: the find
    // and replace boxes are tool windows, where a window-wide key of their owner still fires
    // and would take Esc from them.
    if (command == id::ID_ESCAPE_NOTHING)
        action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    action->setIcon(res::toolbarIcon(command));
    // Menus show their own "\t" shortcut texts; the action stays out of menus itself.
    action->setShortcutVisibleInContextMenu(false);
    if (res::isUnhandledCommand(command)) action->setEnabled(false);
    return action;
}

QAction* CommandActions::action(unsigned command) const {
    auto it = m_actions.find(command);
    return it == m_actions.end() ? nullptr : it->second;
}

void CommandActions::addShortcutsTo(QWidget* window) const {
    for (const auto& [command, action] : m_actions)
        if (!action->shortcuts().isEmpty()) window->addAction(action);
}
