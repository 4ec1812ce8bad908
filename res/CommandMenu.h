#pragma once

#include <QList>
#include <QMenu>
#include <QObject>
#include <QPointer>

class CommandActions;
class QAction;
class QMenuBar;
class QWidget;
namespace res {
struct MenuItem;
}

// The popups of one menu resource (IDR_MAINFRAME or IDR_FORMTYPE), built from its table. Each item
// is an action of its own with the table's text (mnemonic and "\t" shortcut text) and the
// command's prompt as status tip, even when the prompt is empty, so that pointing at it clears the
// status bar. An item follows its command's action in CommandActions: triggering the item
// triggers the command, and the command's enabled state (and checked state, where the command is
// checkable) shows on the item. Items the table marks checked stay checked.
class CommandMenu : public QObject {
    Q_OBJECT
public:
    CommandMenu(unsigned menuId, const CommandActions& commands, QWidget* parent);
    ~CommandMenu() override;

    unsigned menuId() const { return m_menuId; }
    const QList<QMenu*>& popups() const { return m_popups; }

    // Replaces the menus on `bar` with this menu's popups; the popups stay owned by this object.
    void install(QMenuBar* bar) const;

    // The first item carrying `command`, or nullptr.
    QAction* item(unsigned command) const;

    // The "&Окно" popup, or nullptr for a menu without one. The open form windows are listed
    // after its fixed items: setWindowList puts a separator and `windows` there (replacing the
    // previous list; the separator only while the list is not empty). The actions stay the
    // caller's.
    QMenu* windowMenu() const { return m_windowMenu; }
    void setWindowList(const QList<QAction*>& windows);

private:
    QMenu* buildPopup(const res::MenuItem& popup, QWidget* parent);
    QAction* buildItem(const res::MenuItem& item, QMenu* menu);

    unsigned m_menuId;
    const CommandActions& m_commands;
    QList<QMenu*> m_popups;
    QList<QPointer<QMenu>> m_ownedPopups;
    QList<QAction*> m_items;
    QMenu* m_windowMenu = nullptr;
    QAction* m_windowSeparator = nullptr;
    QList<QAction*> m_windowList;
};
