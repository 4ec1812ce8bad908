#include <gtest/gtest.h>

#include <QAction>
#include <QMainWindow>
#include <QSignalSpy>
#include <QTest>
#include <QToolBar>

#include "res/CommandActions.h"
#include "res/MainToolBar.h"

using namespace id;

namespace {

QStringList keys(const QAction* action) {
    QStringList keys;
    for (const QKeySequence& k : action->shortcuts()) keys << k.toString();
    return keys;
}

struct ShortcutCase {
    unsigned command;
    QStringList keys;
};

class ActionShortcuts : public testing::TestWithParam<ShortcutCase> {};

TEST_P(ActionShortcuts, ComeFromTheAcceleratorTable) {
    CommandActions actions;
    QAction* action = actions.action(GetParam().command);
    ASSERT_NE(action, nullptr);
    EXPECT_EQ(keys(action), GetParam().keys);
}

INSTANTIATE_TEST_SUITE_P(
    Accelerators, ActionShortcuts,
    testing::Values(ShortcutCase{ID_FILE_NEW, {"Ctrl+N"}},
                    ShortcutCase{ID_EDIT_UNDO, {"Ctrl+Z", "Alt+Backspace"}},
                    ShortcutCase{ID_EDIT_CUT, {"Ctrl+X", "Shift+Del"}},
                    ShortcutCase{ID_EDIT_COPY, {"Ctrl+C", "Ctrl+Ins"}},
                    ShortcutCase{ID_EDIT_PASTE, {"Ctrl+V", "Shift+Ins"}},
                    ShortcutCase{ID_OLE_EDIT_PROPERTIES, {"Alt+Return", "Alt+Enter"}},
                    ShortcutCase{ID_PREV_PANE, {"Shift+F6"}},
                    ShortcutCase{ID_ESCAPE_NOTHING, {"Esc"}}, ShortcutCase{ID_CONNECT, {}},
                    ShortcutCase{ID_FILE_CLOSE, {}}));

TEST(CommandActions, OneActionPerCarriedCommandAndNoneForTheOthers) {
    CommandActions actions;
    for (unsigned c : {ID_FILE_NEW, ID_CONNECT, ID_STOP_RECEIVE, ID_PORT_COM1, ID_DEVICE_KSM,
                       ID_EDIT_FIND, ID_NEXT_PANE, ID_ESCAPE_NOTHING, ID_WINDOW_ARRANGE})
        ASSERT_NE(actions.action(c), nullptr) << c;
    for (unsigned c : {ID_CONNECT_PROMPT_ONLY, ID_PORT_PROMPT_ONLY, ID_FILE_MRU_FILE1,
                       ID_WINDOW_TILE_HORZ, ID_FILE_PAGE_SETUP})
        EXPECT_EQ(actions.action(c), nullptr) << c;
    for (const auto& [command, action] : actions.actions())
        EXPECT_EQ(action->data().toUInt(), command);
}

TEST(CommandActions, PromptIsStatusTipAndTooltipIsToolTip) {
    CommandActions actions;
    EXPECT_EQ(actions.action(ID_CONNECT)->statusTip(), "Установить связь с вычислителем");
    EXPECT_EQ(actions.action(ID_CONNECT)->toolTip(), "Установить связь");
    EXPECT_EQ(actions.action(ID_FILE_SAVE)->toolTip(), "Сохранить");
    EXPECT_EQ(actions.action(ID_WINDOW_CASCADE)->statusTip(), "");
    EXPECT_EQ(actions.action(ID_PORT_COM1)->statusTip(), "");
}

TEST(CommandActions, OnlyTheSettingsCommandsStartDisabled) {
    CommandActions actions;
    for (const auto& [command, action] : actions.actions()) {
        const bool settings = command >= ID_PORT_COM1 && command <= ID_DEVICE_KSM;
        EXPECT_EQ(action->isEnabled(), !settings) << command;
    }
}

TEST(CommandActions, ShortcutsActOnTheWindowTheyAreAddedTo) {
    QMainWindow window;
    auto* text = new QWidget;
    text->setFocusPolicy(Qt::StrongFocus);
    window.setCentralWidget(text);
    CommandActions actions;
    actions.addShortcutsTo(&window);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    text->setFocus();
    QSignalSpy newForm(actions.action(ID_FILE_NEW), &QAction::triggered);
    QSignalSpy undo(actions.action(ID_EDIT_UNDO), &QAction::triggered);
    QSignalSpy escape(actions.action(ID_ESCAPE_NOTHING), &QAction::triggered);
    QTest::keyClick(text, Qt::Key_N, Qt::ControlModifier);
    QTest::keyClick(text, Qt::Key_Backspace, Qt::AltModifier);
    QTest::keyClick(text, Qt::Key_Escape);
    EXPECT_EQ(newForm.count(), 1);
    EXPECT_EQ(undo.count(), 1);
    // Esc is taken by its command, which nothing handles: the key has no other effect.
    EXPECT_EQ(escape.count(), 1);
    EXPECT_TRUE(window.isVisible());
}

TEST(MainToolBar, CommandActionsInTableOrderWithIcons) {
    QMainWindow window;
    CommandActions actions;
    QToolBar* bar = buildMainToolBar(actions, &window);
    QList<unsigned> order;
    for (QAction* a : bar->actions()) {
        order << (a->isSeparator() ? ID_SEPARATOR : a->data().toUInt());
        if (a->isSeparator()) continue;
        EXPECT_EQ(a, actions.action(a->data().toUInt()));
        EXPECT_FALSE(a->icon().isNull()) << a->data().toUInt();
    }
    EXPECT_EQ(order, (QList<unsigned>{ID_FILE_NEW, ID_FILE_OPEN, ID_FILE_SAVE, ID_SEPARATOR,
                                      ID_EDIT_CUT, ID_EDIT_COPY, ID_EDIT_PASTE, ID_SEPARATOR,
                                      ID_FILE_PRINT, ID_SEPARATOR, ID_APP_ABOUT}));
    EXPECT_EQ(bar->iconSize(), QSize(16, 15));
}

}  // namespace
