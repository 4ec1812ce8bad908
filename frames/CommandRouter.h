#pragma once

#include <QList>
#include <QObject>
#include <span>

#include "forms/MemberCommand.h"
#include "frames/CommandStateWatcher.h"
#include "frames/CommandTable.h"

class CommandActions;
class CommandMenu;
class QAction;
class QMainWindow;
class QMdiArea;
class QWidget;

// Every command of the main window by its id: the one handler and enabling each owner of the
// behaviour registers (the connect flow, the form windows, the archive's windows, the frame and
// the application), and the actions, accelerators and menus that trigger it, whose enabled and
// checked states it keeps. Menus, keys, buttons and tests all run a command through run().
// The states follow CommandStateWatcher: nothing refreshes them on a timer.
class CommandRouter : public QObject {
    Q_OBJECT
public:
    using Run = CommandTable::Run;
    using Enabled = CommandTable::Enabled;

    // `activeEditor` gives the active form's view, whose signals change the enabling.
    CommandRouter(QMainWindow* frame, QMdiArea* area,
                  CommandStateWatcher::ActiveEditor activeEditor);

    // Refreshes after `signal` of `sender` (the pass of the event loop it came in).
    template <typename Sender, typename Signal>
    void watch(const Sender* sender, Signal signal) {
        m_state->watch(sender, signal);
    }

    // Builds the actions, their accelerators on the frame and both menus; the form menu is up
    // while `formOpen` holds, the main menu otherwise. False when a menu cannot be built.
    bool buildMenus(Enabled formOpen);
    const CommandActions& actions() const { return *m_actions; }

    // An id registered twice is a programming error; `enabled` left empty: always enabled.
    void add(unsigned id, Run run, Enabled enabled = {});
    // A form's own commands, carried out by whichever object `active()` gives when the command
    // comes (none: disabled).
    template <typename T, typename Active>
    void addMemberCommands(std::span<const MemberCommand<T>> commands, Active active);
    // Shows or hides `bar`; the command's check mark follows the bar, however it was shown.
    void addBarToggle(unsigned id, QWidget* bar);

    // Runs a command when it is enabled, then refreshes; false when it is not, or no one
    // registered it.
    bool run(unsigned id);
    bool isEnabled(unsigned id) const { return m_table.isEnabled(id); }
    // Enables, checks and unchecks every action and puts the right menu bar up. Runs whenever
    // something it reads may have changed (CommandStateWatcher), after each command, and when
    // a menu opens.
    void refresh();

    QAction* action(unsigned id) const;
    CommandMenu* menu(unsigned menuId) const;
    bool showsFormMenu() const { return m_formMenuShown; }

signals:
    // At the end of each refresh, for what else shows the state of the moment (the title).
    void refreshed();

private:
    void showFormMenu(bool formMenu);

    struct BarToggle {
        unsigned id;
        QWidget* bar;
    };

    QMainWindow* m_frame;
    CommandTable m_table;
    CommandStateWatcher* m_state;
    CommandActions* m_actions = nullptr;
    CommandMenu* m_mainMenu = nullptr;  // no form window open
    CommandMenu* m_formMenu = nullptr;  // a form window active
    Enabled m_formOpen;
    bool m_formMenuShown = false;
    QList<BarToggle> m_barToggles;
};

template <typename T, typename Active>
void CommandRouter::addMemberCommands(std::span<const MemberCommand<T>> commands, Active active) {
    for (const MemberCommand<T>& command : commands) {
        add(
            command.id, [active, command] { (active()->*command.run)(); },
            [active, command] {
                const T* object = active();
                return object && isMemberCommandEnabled(*object, command);
            });
    }
}
