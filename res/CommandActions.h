#pragma once

#include <QList>
#include <QObject>
#include <map>

#include "res/CommandIds.h"

class QAction;
class QWidget;

// One QAction per command id that a menu, the toolbar or the accelerator table carries: its
// shortcuts come from the accelerators, the status tip is the command string's prompt, the tool
// tip its tooltip, and the toolbar commands have their icons. Whoever owns the window connects
// `triggered` to the handlers and decides enabling; the "Настройки" commands, which nothing
// handles, start disabled. Each action's data() holds its command id.
class CommandActions : public QObject {
    Q_OBJECT
public:
    explicit CommandActions(QObject* parent = nullptr);

    // nullptr for an id no menu, button or key carries.
    QAction* action(unsigned command) const;
    const std::map<unsigned, QAction*>& actions() const { return m_actions; }

    // Shortcuts act only on actions added to a widget: add the accelerated ones to `window`.
    void addShortcutsTo(QWidget* window) const;

private:
    QAction* create(unsigned command);

    std::map<unsigned, QAction*> m_actions;
};
