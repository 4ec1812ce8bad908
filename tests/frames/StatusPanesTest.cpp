#include <gtest/gtest.h>

#include <QApplication>
#include <QCursor>
#include <QKeyEvent>
#include <QMainWindow>
#include <QMenuBar>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTest>

#include "frames/KeyboardLockPane.h"
#include "frames/MessagePane.h"
#include "res/CommandActions.h"
#include "res/CommandMenu.h"

using namespace id;

namespace {

TEST(MessagePane, ShowsPromptsAndReturnsToReady) {
    QMainWindow window;
    auto* pane = new MessagePane(&window);
    window.statusBar()->addWidget(pane, 1);
    EXPECT_EQ(pane->text(), "Ready");
    QStatusTipEvent prompt("Создать новый документ");
    QApplication::sendEvent(&window, &prompt);
    EXPECT_EQ(pane->text(), "Создать новый документ");
    EXPECT_TRUE(window.statusBar()->currentMessage().isEmpty());
    QStatusTipEvent leave(QString{});
    QApplication::sendEvent(&window, &leave);
    EXPECT_EQ(pane->text(), "Ready");
}

TEST(MessagePane, MenuItemWithoutPromptEmptiesThePane) {
    QMainWindow window;
    CommandActions actions;
    CommandMenu form(IDR_FORMTYPE, actions, &window);
    form.install(window.menuBar());
    auto* pane = new MessagePane(&window);
    window.statusBar()->addWidget(pane, 1);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

    QMenu* windows = form.windowMenu();
    window.menuBar()->setActiveAction(windows->menuAction());
    ASSERT_TRUE(QTest::qWaitFor([&] { return windows->isVisible(); }));
    windows->setActiveAction(form.item(ID_WINDOW_NEW));
    EXPECT_EQ(pane->text(), "Открыть еще одно окно для активного документа");
    windows->setActiveAction(form.item(ID_WINDOW_CASCADE));
    EXPECT_EQ(pane->text(), "");
    windows->close();
    EXPECT_EQ(pane->text(), "Ready");
}

TEST(MessagePane, GrayedItemWithoutPromptEmptiesThePane) {
    QMainWindow window;
    CommandActions actions;
    CommandMenu main(IDR_MAINFRAME, actions, &window);
    main.install(window.menuBar());
    auto* pane = new MessagePane(&window);
    window.statusBar()->addWidget(pane, 1);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

    QMenu* settings = main.popups().at(2);
    window.menuBar()->setActiveAction(settings->menuAction());
    ASSERT_TRUE(QTest::qWaitFor([&] { return settings->isVisible(); }));
    QMenu* port = settings->actions().at(0)->menu();
    settings->setActiveAction(port->menuAction());
    ASSERT_TRUE(QTest::qWaitFor([&] { return port->isVisible(); }));
    // Leaving an item with a prompt for grayed "&COM1": the pane goes empty, not back to "Ready".
    QStatusTipEvent prompt("Открыть новый документ");
    QApplication::sendEvent(&window, &prompt);
    QCursor::setPos(port->mapToGlobal(port->actionGeometry(main.item(ID_PORT_COM1)).center()));
    QStatusTipEvent leave(QString{});
    QApplication::sendEvent(window.menuBar(), &leave);
    EXPECT_EQ(pane->text(), "");
    port->close();
    settings->close();
}

struct FakeLocks {
    std::map<LockKey, LockState> state{{LockKey::Caps, LockState::Off},
                                       {LockKey::Num, LockState::Off},
                                       {LockKey::Scroll, LockState::Off}};
    KeyboardLockPane::StateSource source() {
        return [this](LockKey k) { return state[k]; };
    }
};

TEST(KeyboardLockPane, ShowsItsTextOnlyWhileTheKeyIsOn) {
    FakeLocks locks;
    KeyboardLockPane caps(LockKey::Caps, nullptr, locks.source());
    KeyboardLockPane num(LockKey::Num, nullptr, locks.source());
    KeyboardLockPane scroll(LockKey::Scroll, nullptr, locks.source());
    EXPECT_EQ(caps.text(), "");
    EXPECT_GT(caps.minimumWidth(), 0);
    locks.state[LockKey::Caps] = LockState::On;
    locks.state[LockKey::Num] = LockState::On;
    locks.state[LockKey::Scroll] = LockState::Unknown;
    caps.refresh();
    num.refresh();
    scroll.refresh();
    EXPECT_EQ(caps.text(), "CAP");
    EXPECT_EQ(num.text(), "NUM");
    EXPECT_EQ(scroll.text(), "");
    locks.state[LockKey::Scroll] = LockState::On;
    scroll.refresh();
    EXPECT_EQ(scroll.text(), "SCRL");
}

TEST(KeyboardLockPane, ReleasingALockKeyRefreshesAtOnce) {
    FakeLocks locks;
    QWidget target;
    KeyboardLockPane num(LockKey::Num, nullptr, locks.source());
    locks.state[LockKey::Num] = LockState::On;
    QKeyEvent other(QEvent::KeyRelease, Qt::Key_A, Qt::NoModifier);
    QApplication::sendEvent(&target, &other);
    EXPECT_EQ(num.text(), "");
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_NumLock, Qt::NoModifier);
    QApplication::sendEvent(&target, &release);
    EXPECT_EQ(num.text(), "NUM");
}

TEST(KeyboardLocks, UnknownWithoutAWindowSystemThatTells) {
    // The tests run on the offscreen platform, which has no lock indicators.
    for (LockKey k : {LockKey::Caps, LockKey::Num, LockKey::Scroll})
        EXPECT_EQ(queryLockState(k), LockState::Unknown);
    KeyboardLockPane caps(LockKey::Caps);
    EXPECT_EQ(caps.text(), "");
}

}  // namespace
