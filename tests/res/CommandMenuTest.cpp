#include <gtest/gtest.h>

#include <QAction>
#include <QMainWindow>
#include <QMenuBar>
#include <QSignalSpy>

#include "res/CommandActions.h"
#include "res/CommandMenu.h"

using namespace id;

namespace {

QStringList titles(const QMenuBar* bar) {
    QStringList titles;
    for (QAction* a : bar->actions()) titles << a->text();
    return titles;
}

QMenu* submenu(QMenu* menu, const QString& title) {
    for (QAction* a : menu->actions())
        if (a->menu() && a->text() == title) return a->menu();
    return nullptr;
}

TEST(CommandMenu, InstallsEachMenusPopupsAndSwapsThem) {
    QMainWindow window;
    CommandActions actions;
    CommandMenu main(IDR_MAINFRAME, actions, &window);
    CommandMenu form(IDR_FORMTYPE, actions, &window);
    main.install(window.menuBar());
    EXPECT_EQ(titles(window.menuBar()), (QStringList{"&Файл", "&Вид", "Настройки", "&Помощь"}));
    form.install(window.menuBar());
    EXPECT_EQ(titles(window.menuBar()),
              (QStringList{"&Файл", "&Редактировать", "&Вид", "&Окно", "&Помощь"}));
    main.install(window.menuBar());
    EXPECT_EQ(window.menuBar()->actions().size(), 4);
    EXPECT_EQ(main.item(ID_PORT_COM1)->text(), "&COM1");
}

TEST(CommandMenu, ItemsCarryTableTextAndPromptEvenWhenEmpty) {
    QMainWindow window;
    CommandActions actions;
    CommandMenu form(IDR_FORMTYPE, actions, &window);
    QAction* open = form.item(ID_FILE_OPEN);
    ASSERT_NE(open, nullptr);
    EXPECT_EQ(open->text(), "&Открыть..\tCtrl+O");
    EXPECT_EQ(open->statusTip(), "Открыть новый документ");
    EXPECT_EQ(form.item(ID_WINDOW_CASCADE)->statusTip(), "");
    EXPECT_EQ(form.item(ID_FILE_PRINT_SETUP)->text(), "&Установка принтера...");
    EXPECT_EQ(form.item(ID_PORT_COM1), nullptr);
}

TEST(CommandMenu, SettingsItemsAreGrayedWithFixedChecks) {
    QMainWindow window;
    CommandActions actions;
    CommandMenu main(IDR_MAINFRAME, actions, &window);
    QMenu* settings = main.popups().at(2);
    QMenu* port = submenu(settings, "&Порт");
    QMenu* device = submenu(settings, "&Тип вычислителя");
    ASSERT_TRUE(port && device);
    EXPECT_TRUE(port->menuAction()->isEnabled());
    EXPECT_TRUE(device->menuAction()->isEnabled());
    for (unsigned c : {ID_PORT_COM1, ID_PORT_COM2, ID_DEVICE_KSM_ZH, ID_DEVICE_KSM_R,
                       ID_DEVICE_KSM_N, ID_DEVICE_KSM_S, ID_DEVICE_KSM}) {
        QAction* item = main.item(c);
        ASSERT_NE(item, nullptr) << c;
        EXPECT_FALSE(item->isEnabled()) << c;
        EXPECT_EQ(item->isChecked(), c == ID_PORT_COM1 || c == ID_DEVICE_KSM_ZH) << c;
    }
    // The checks are fixed: nothing the operator or the program does moves them.
    main.item(ID_PORT_COM1)->setChecked(false);
    EXPECT_TRUE(main.item(ID_PORT_COM1)->isChecked());
}

TEST(CommandMenu, ItemsFollowTheirCommand) {
    QMainWindow window;
    CommandActions actions;
    CommandMenu form(IDR_FORMTYPE, actions, &window);
    QAction* stop = actions.action(ID_STOP_RECEIVE);
    stop->setEnabled(false);
    EXPECT_FALSE(form.item(ID_STOP_RECEIVE)->isEnabled());
    stop->setEnabled(true);
    EXPECT_TRUE(form.item(ID_STOP_RECEIVE)->isEnabled());

    QSignalSpy triggered(stop, &QAction::triggered);
    form.item(ID_STOP_RECEIVE)->trigger();
    EXPECT_EQ(triggered.count(), 1);

    QAction* toolbar = actions.action(ID_VIEW_TOOLBAR);
    toolbar->setCheckable(true);
    toolbar->setChecked(true);
    EXPECT_TRUE(form.item(ID_VIEW_TOOLBAR)->isChecked());
    form.item(ID_VIEW_TOOLBAR)->trigger();
    EXPECT_FALSE(toolbar->isChecked());
    EXPECT_FALSE(form.item(ID_VIEW_TOOLBAR)->isChecked());
}

TEST(CommandMenu, WindowListFollowsTheFixedItems) {
    QMainWindow window;
    CommandActions actions;
    CommandMenu form(IDR_FORMTYPE, actions, &window);
    CommandMenu main(IDR_MAINFRAME, actions, &window);
    EXPECT_EQ(main.windowMenu(), nullptr);
    ASSERT_NE(form.windowMenu(), nullptr);
    EXPECT_EQ(form.windowMenu()->title(), "&Окно");

    QAction first("&1 Безымянный1"), second("&2 Безымянный2");
    form.setWindowList({&first, &second});
    QList<QAction*> items = form.windowMenu()->actions();
    ASSERT_EQ(items.size(), 6);
    EXPECT_TRUE(items[3]->isSeparator() && items[3]->isVisible());
    EXPECT_EQ(items[4], &first);
    EXPECT_EQ(items[5], &second);

    form.setWindowList({&second});
    items = form.windowMenu()->actions();
    ASSERT_EQ(items.size(), 5);
    EXPECT_EQ(items[4], &second);

    form.setWindowList({});
    items = form.windowMenu()->actions();
    ASSERT_EQ(items.size(), 4);
    EXPECT_FALSE(items[3]->isVisible());
}

}  // namespace
