#include "res/CommandMenu.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

#include "res/CommandActions.h"
#include "res/Menus.h"
#include "res/Strings.h"

namespace {

bool isWindowPopup(const res::MenuItem& popup) {
    for (const res::MenuItem& item : popup.children)
        if (item.command == id::ID_WINDOW_NEW || item.command == id::ID_WINDOW_CASCADE) return true;
    return false;
}

// Shows the command's state on the menu item.
void follow(QAction* item, const QAction* command, bool fixedCheck) {
    item->setEnabled(command->isEnabled());
    item->setVisible(command->isVisible());
    if (!fixedCheck) {
        item->setCheckable(command->isCheckable());
        item->setChecked(command->isChecked());
    }
}

}  // namespace

CommandMenu::CommandMenu(unsigned menuId, const CommandActions& commands, QWidget* parent)
    : QObject(parent), m_menuId(menuId), m_commands(commands) {
    for (const res::MenuItem& popup : res::menuResource(menuId)) {
        QMenu* menu = buildPopup(popup, parent);
        m_popups.append(menu);
        m_ownedPopups.append(menu);
        if (!m_windowMenu && isWindowPopup(popup)) m_windowMenu = menu;
    }
}

CommandMenu::~CommandMenu() {
    // The popups are children of the window and may be gone already when it closes.
    for (const QPointer<QMenu>& menu : m_ownedPopups) delete menu.data();
}

QMenu* CommandMenu::buildPopup(const res::MenuItem& popup, QWidget* parent) {
    auto* menu = new QMenu(QString::fromUtf8(popup.text), parent);
    for (const res::MenuItem& child : popup.children) {
        if (child.isSeparator())
            menu->addSeparator();
        else if (child.isPopup())
            menu->addMenu(buildPopup(child, menu));
        else
            m_items.append(buildItem(child, menu));
    }
    return menu;
}

QAction* CommandMenu::buildItem(const res::MenuItem& entry, QMenu* menu) {
    auto* item = menu->addAction(QString::fromUtf8(entry.text));
    item->setData(entry.command);
    item->setStatusTip(res::commandPrompt(entry.command));
    const bool fixedCheck = entry.flags & res::MF_CHECKED;
    if (fixedCheck) {
        item->setCheckable(true);
        item->setChecked(true);
        connect(item, &QAction::toggled, item, [item](bool on) {
            if (!on) item->setChecked(true);
        });
    }
    if (entry.flags & res::MF_GRAYED) item->setEnabled(false);
    QAction* command = m_commands.action(entry.command);
    if (!command) return item;
    follow(item, command, fixedCheck);
    connect(command, &QAction::changed, item,
            [item, command, fixedCheck] { follow(item, command, fixedCheck); });
    connect(item, &QAction::triggered, command, [command] { command->trigger(); });
    return item;
}

void CommandMenu::install(QMenuBar* bar) const {
    bar->clear();
    for (QMenu* menu : m_popups) bar->addMenu(menu);
}

QAction* CommandMenu::item(unsigned command) const {
    for (QAction* a : m_items)
        if (a->data().toUInt() == command) return a;
    return nullptr;
}

void CommandMenu::setWindowList(const QList<QAction*>& windows) {
    if (!m_windowMenu) return;
    for (QAction* a : m_windowList) m_windowMenu->removeAction(a);
    m_windowList = windows;
    if (!m_windowSeparator) m_windowSeparator = m_windowMenu->addSeparator();
    m_windowSeparator->setVisible(!windows.isEmpty());
    m_windowMenu->addActions(windows);
}
