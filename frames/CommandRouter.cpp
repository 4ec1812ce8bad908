#include "frames/CommandRouter.h"

#include <QAction>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>

#include "res/CommandActions.h"
#include "res/CommandIds.h"
#include "res/CommandMenu.h"

CommandRouter::CommandRouter(QMainWindow* frame, QMdiArea* area,
                             CommandStateWatcher::ActiveEditor activeEditor)
    : QObject(frame),
      m_frame(frame),
      m_state(new CommandStateWatcher(area, std::move(activeEditor), this)) {
    connect(m_state, &CommandStateWatcher::changed, this, &CommandRouter::refresh);
}

bool CommandRouter::buildMenus(Enabled formOpen) {
    m_formOpen = std::move(formOpen);
    m_actions = new CommandActions(m_frame);
    for (const auto& [command, action] : m_actions->actions())
        connect(action, &QAction::triggered, this, [this, c = command] { run(c); });
    m_actions->addShortcutsTo(m_frame);

    m_mainMenu = new CommandMenu(id::IDR_MAINFRAME, *m_actions, m_frame);
    m_formMenu = new CommandMenu(id::IDR_FORMTYPE, *m_actions, m_frame);
    if (m_mainMenu->popups().isEmpty() || m_formMenu->popups().isEmpty()) return false;
    for (CommandMenu* menu : {m_mainMenu, m_formMenu}) {
        for (QMenu* popup : menu->popups())
            connect(popup, &QMenu::aboutToShow, this, &CommandRouter::refresh);
    }
    m_formMenuShown = true;  // forces the first showFormMenu to install a menu
    showFormMenu(false);
    return true;
}

void CommandRouter::add(unsigned id, Run run, Enabled enabled) {
    m_table.add(id, std::move(run), std::move(enabled));
}

void CommandRouter::addBarToggle(unsigned id, QWidget* bar) {
    add(id, [bar] { bar->setVisible(!bar->isVisible()); });
    m_barToggles.append({id, bar});
    m_state->watchVisibility(bar);
}

bool CommandRouter::run(unsigned id) {
    const bool done = m_table.run(id);
    if (done) refresh();
    return done;
}

void CommandRouter::refresh() {
    if (!m_actions) return;
    showFormMenu(m_formOpen());
    for (const auto& [command, action] : m_actions->actions()) {
        // Esc stays armed although nothing handles it, so that the key does nothing at all.
        if (command != id::ID_ESCAPE_NOTHING) action->setEnabled(m_table.isEnabled(command));
    }
    for (const BarToggle& toggle : m_barToggles) {
        if (QAction* a = action(toggle.id)) {
            a->setCheckable(true);
            a->setChecked(toggle.bar->isVisible());
        }
    }
    emit refreshed();
}

QAction* CommandRouter::action(unsigned id) const {
    return m_actions ? m_actions->action(id) : nullptr;
}

CommandMenu* CommandRouter::menu(unsigned menuId) const {
    return menuId == id::IDR_FORMTYPE ? m_formMenu : m_mainMenu;
}

void CommandRouter::showFormMenu(bool formMenu) {
    if (formMenu == m_formMenuShown) return;
    m_formMenuShown = formMenu;
    (formMenu ? m_formMenu : m_mainMenu)->install(m_frame->menuBar());
}
