#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QTest>

#include "forms/ChildFrame.h"
#include "forms/FindReplaceDialog.h"
#include "forms/FormTemplate.h"
#include "forms/TabulonPlusDoc.h"
#include "forms/TabulonPlusView.h"
#include "frames/CommandRouter.h"
#include "frames/FormWindows.h"
#include "frames/MainFrame.h"
#include "res/CommandIds.h"
#include "res/MessageBox.h"
#include "tests/app/AppFixture.h"
#include "tests/xvfb/XKeys.h"

// Readable failures.
inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

namespace {

const QString kGuard = QStringLiteral(
    "Документ не может быть закрыт до окончания передачи данных!\nОстановить передачу данных?");
const QString kSave = QStringLiteral("Save changes to ");

// The program on a real X server, its keys pressed by the server's own input.
class Keyboard : public AppFixture {
protected:
    void SetUp() override {
        AppFixture::SetUp();
        answer(QStringLiteral("Связь с вычислителем установлена."), msg::IDYES);
        answer(QStringLiteral("Чтение данных в объеме "), msg::IDNO);
    }

    // The program with `forms` empty forms, the last one active with the focus in its text.
    void startWithForms(int forms) {
        ASSERT_TRUE(startApp());
        // No window manager gives the focus to a new window: the program takes it.
        ASSERT_TRUE(QTest::qWaitForWindowExposed(mainFrame()));
        mainFrame()->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(mainFrame()));
        for (int i = 1; i < forms; ++i) mainFrame()->commands().run(id::ID_FILE_NEW);
        ASSERT_EQ(formDocs().size(), forms);
        ASSERT_NO_FATAL_FAILURE(focusText());
    }

    void focusText() {
        CTabulonPlusView* view = mainFrame()->forms().formTemplate().activeView();
        ASSERT_NE(view, nullptr);
        // No window manager hands the focus back when a box closes either.
        mainFrame()->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(mainFrame()));
        view->setFocus();
        ASSERT_TRUE(waitUntil([view] { return QApplication::focusWidget() == view; }, 5000));
    }

    // A click on the middle of a window's title bar, as the operator makes it.
    static void clickTitleBar(QMdiSubWindow* window) {
        const int bar = window->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, window);
        const QPoint at = window->mapToGlobal(QPoint(window->width() / 3, bar / 2));
        QProcess::execute("xdotool", {"mousemove", QString::number(at.x()), QString::number(at.y()),
                                      "click", "1"});
        waitUntil([window] { return window->mdiArea()->activeSubWindow() == window; }, 5000);
    }

    QString activeTitle() const {
        QMdiSubWindow* active = mainFrame()->forms().mdiArea()->activeSubWindow();
        return active ? active->windowTitle().remove(QStringLiteral("[*]")) : QString();
    }

    void press(const QString& keys) { ASSERT_TRUE(sendKeys(keys)) << keys.toStdString(); }
};

struct CloseCase {
    const char* name;
    const char* keys;
    int forms;
    bool titleBar;   // the operator clicked the first window's title bar, else typed in the last
    int saveAnswer;  // 0: the form is not modified
    QStringList left;
};

class CloseKey : public Keyboard, public testing::WithParamInterface<CloseCase> {};

// The window's own close keys close the window the operator works in, through the save question.
TEST_P(CloseKey, ClosesTheActiveFormWindow) {
    const CloseCase& c = GetParam();
    ASSERT_NO_FATAL_FAILURE(startWithForms(c.forms));
    if (c.titleBar) clickTitleBar(mainFrame()->forms().mdiArea()->subWindowList().constFirst());
    if (c.saveAnswer) {
        press("x");
        answer(kSave, c.saveAnswer);
    }
    press(c.keys);
    ASSERT_TRUE(waitUntil([&] { return titles().size() == c.left.size(); }, 5000));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(titles(), c.left);
    EXPECT_EQ(mainFrame()->forms().mdiArea()->subWindowList().size(), c.left.size());
    EXPECT_EQ(sent(kSave), c.saveAnswer != 0);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CloseKey,
    testing::Values(CloseCase{"OneForm", "ctrl+F4", 1, false, 0, {}},
                    CloseCase{"ThreeForms", "ctrl+F4", 3, false, 0, {"Безымянный1", "Безымянный2"}},
                    CloseCase{"TitleBar", "ctrl+F4", 3, true, 0, {"Безымянный2", "Безымянный3"}},
                    CloseCase{"TitleBarOfTheOnlyForm", "ctrl+F4", 1, true, 0, {}},
                    CloseCase{"PlatformKey", "ctrl+w", 3, false, 0, {"Безымянный1", "Безымянный2"}},
                    CloseCase{"SaveQuestionCancelled",
                              "ctrl+F4",
                              2,
                              false,
                              msg::IDCANCEL,
                              {"Безымянный1", "Безымянный2"}},
                    CloseCase{"SaveQuestionNo", "ctrl+F4", 2, false, msg::IDNO, {"Безымянный1"}}),
    [](const auto& info) { return std::string(info.param.name); });

// The receiving window of a running exchange asks the guard's question first.
TEST_F(Keyboard, CtrlF4DuringAnExchangePassesTheCloseGuard) {
    CalculatorSimulatorOptions o;
    o.deviceType = 0;
    QString longForm;
    for (int i = 0; i < 60; ++i) longForm += QStringLiteral("строка %1 ведомости\n").arg(i);
    o.stream.forms = {"first form", longForm.toStdString()};
    o.bytesPerSecond = 400;
    startCalculator(o);
    ASSERT_NO_FATAL_FAILURE(startWithForms(1));
    chooseSettings("COM1", "КСМ-Р", "9600");
    mainFrame()->commands().run(id::ID_CONNECT);
    ASSERT_TRUE(waitUntil([this] { return formDocs().size() == 2; }));
    ASSERT_EQ(mainFrame()->forms().mdiArea()->activeSubWindow(),
              mainFrame()->block().m_pReceivingFrame);
    ASSERT_NO_FATAL_FAILURE(focusText());

    answer(kGuard, msg::IDCANCEL);
    press("ctrl+F4");
    ASSERT_TRUE(sent(kGuard));
    EXPECT_EQ(formDocs().size(), 2);
    EXPECT_TRUE(mainFrame()->exchange().workerAlive()) << "Cancel: the exchange goes on";

    answer(kGuard, msg::IDOK);
    answer(kSave, msg::IDNO);
    m_messages.clear();
    press("ctrl+F4");
    ASSERT_TRUE(sent(kGuard));
    ASSERT_TRUE(waitUntil([this] { return formDocs().size() == 1; }, 5000));
    EXPECT_FALSE(mainFrame()->exchange().workerAlive());
}

// Ctrl+F6 steps forward through the form windows and round, Ctrl+Shift+F6 back.
TEST_F(Keyboard, CtrlF6StepsThroughTheFormWindows) {
    ASSERT_NO_FATAL_FAILURE(startWithForms(3));
    const std::vector<std::pair<const char*, const char*>> steps = {
        {"ctrl+F6", "Безымянный1"},       {"ctrl+F6", "Безымянный2"},
        {"ctrl+F6", "Безымянный3"},       {"ctrl+shift+F6", "Безымянный2"},
        {"ctrl+shift+F6", "Безымянный1"}, {"ctrl+shift+F6", "Безымянный3"},
    };
    for (const auto& [keys, title] : steps) {
        SCOPED_TRACE(keys);
        press(keys);
        EXPECT_EQ(activeTitle(), QString::fromUtf8(title));
        EXPECT_EQ(QApplication::focusWidget(), mainFrame()->forms().formTemplate().activeView())
            << "the keys keep working in the window they reached";
    }
}

// Esc closes the find and replace boxes as their Cancel does; in the main window it does
// nothing.
TEST_F(Keyboard, EscClosesTheFindBoxesAndNothingElse) {
    ASSERT_NO_FATAL_FAILURE(startWithForms(2));
    press("a b c");
    // The commands follow the text on the idle pass, as the operator sees them.
    ASSERT_TRUE(waitUntil(
        [this] { return mainFrame()->commands().action(id::ID_EDIT_FIND)->isEnabled(); }));
    for (const char* keys : {"ctrl+f", "ctrl+h"}) {
        SCOPED_TRACE(keys);
        press(keys);
        CTabulonPlusView* view = mainFrame()->forms().formTemplate().activeView();
        QPointer<CFindReplaceDialog> box = view->findReplaceDialog();
        ASSERT_TRUE(box);
        ASSERT_TRUE(waitUntil([&] { return box->isActiveWindow(); }, 5000));
        press("Escape");
        EXPECT_TRUE(!box || !box->isVisible()) << "Esc left the box open";
        ASSERT_NO_FATAL_FAILURE(focusText());
    }
    m_messages.clear();
    press("Escape");
    EXPECT_EQ(titles(), QStringList({"Безымянный1", "Безымянный2"}));
    EXPECT_EQ(plainText(formDocs().constLast()), "abc");
    EXPECT_TRUE(m_messages.isEmpty());
    EXPECT_TRUE(mainFrame()->isVisible());
}

// Esc cancels the program's modal dialogs too: the settings (nothing starts) and About.
TEST_F(Keyboard, EscCancelsTheModalDialogs) {
    ASSERT_NO_FATAL_FAILURE(startWithForms(1));
    for (unsigned command : {id::ID_CONNECT, id::ID_APP_ABOUT}) {
        SCOPED_TRACE(command);
        bool shown = false, stayed = false;
        m_answerer.whenShown("QDialog", [&](QDialog* dialog) {
            shown = true;
            dialog->activateWindow();  // the window manager's part
            waitUntil([&] { return dialog->isActiveWindow(); }, 5000);
            sendKeys("Escape");
            stayed = dialog->isVisible();
            if (stayed) dialog->reject();
        });
        mainFrame()->commands().run(command);
        EXPECT_TRUE(shown);
        EXPECT_FALSE(stayed);
        ASSERT_NO_FATAL_FAILURE(focusText());
    }
    EXPECT_FALSE(mainFrame()->exchange().workerAlive());
}

// The main title names the active window, a second window onto a form by its own number.
TEST_F(Keyboard, MainTitleNamesTheActiveWindow) {
    ASSERT_NO_FATAL_FAILURE(startWithForms(2));
    mainFrame()->commands().run(id::ID_WINDOW_NEW);
    ASSERT_TRUE(waitUntil([this] { return activeTitle() == "Безымянный2:2"; }, 5000));
    EXPECT_TRUE(
        waitUntil([this] { return mainFrame()->windowTitle() == "Tabulon - Безымянный2:2"; }, 5000))
        << mainFrame()->windowTitle().toStdString();
}

// A closed window hands over to the window the operator worked in before it.
TEST_F(Keyboard, ClosingAWindowActivatesTheOneActiveBeforeIt) {
    ASSERT_NO_FATAL_FAILURE(startWithForms(4));
    const QList<QMdiSubWindow*> windows = mainFrame()->forms().mdiArea()->subWindowList();
    // Chosen in the Window menu: the second, then the last again; neither of the last one's
    // neighbours was active just before it.
    for (int i : {1, 3}) mainFrame()->forms().mdiArea()->setActiveSubWindow(windows[i]);
    ASSERT_NO_FATAL_FAILURE(focusText());
    for (const char* next : {"Безымянный2", "Безымянный3", "Безымянный1"}) {
        press("ctrl+F4");
        EXPECT_EQ(activeTitle(), QString::fromUtf8(next));
    }
}

}  // namespace

namespace {

// The operator's Russian keyboard for the keys of its scope: its letters come from the
// layout's own keys, as a person's do, rather than from a key borrowed for the moment.
class RussianLayout {
public:
    RussianLayout() : m_ok(setLayout("ru")) {}
    ~RussianLayout() { setLayout("us"); }
    bool ok() const { return m_ok; }

private:
    static bool setLayout(const char* layout) {
        const bool set = QProcess::execute("setxkbmap", {"-layout", layout}) == 0;
        // Qt reads the new key map from the server's notice of it.
        sendKeys({});
        return set;
    }
    bool m_ok;
};

template <class W>
W* childWithText(QWidget* box, const QString& text) {
    for (W* child : box->findChildren<W*>())
        if (child->text() == text) return child;
    return nullptr;
}

// What one Alt+letter of a find box must do there, whatever the main window's menu bar holds.
struct BoxKey {
    const char* keysym;
    const char* what;
    std::function<void(CFindReplaceDialog*, CTabulonPlusView*)> before;  // may be empty
    std::function<bool(CFindReplaceDialog*, CTabulonPlusView*)> reached;
};

std::function<bool(CFindReplaceDialog*, CTabulonPlusView*)> focusIn(
    QLineEdit* (CFindReplaceDialog::*field)() const) {
    return [field](CFindReplaceDialog* box, CTabulonPlusView*) {
        return QApplication::focusWidget() == (box->*field)();
    };
}

BoxKey toggles(const char* keysym, const char* text) {
    return {keysym, text,
            [text](CFindReplaceDialog* box, CTabulonPlusView*) {
                childWithText<QCheckBox>(box, QString::fromUtf8(text))->setChecked(false);
            },
            [text](CFindReplaceDialog* box, CTabulonPlusView*) {
                return childWithText<QCheckBox>(box, QString::fromUtf8(text))->isChecked();
            }};
}

BoxKey chooses(const char* keysym, const char* text, const char* other) {
    return {keysym, text,
            [other](CFindReplaceDialog* box, CTabulonPlusView*) {
                childWithText<QRadioButton>(box, QString::fromUtf8(other))->setChecked(true);
            },
            [text](CFindReplaceDialog* box, CTabulonPlusView*) {
                return childWithText<QRadioButton>(box, QString::fromUtf8(text))->isChecked();
            }};
}

const BoxKey kFindNext{"Cyrillic_en", "&Найти далее", nullptr,
                       [](CFindReplaceDialog*, CTabulonPlusView* view) {
                           return view->textCursor().selectedText() == "abc";
                       }};

const std::vector<BoxKey> kFindKeys = {
    {"Cyrillic_che", "&Что:", nullptr, focusIn(&CFindReplaceDialog::findField)},
    toggles("Cyrillic_tse", "Только слово &целиком"),
    toggles("Cyrillic_u", "С &учетом регистра"),
    chooses("Cyrillic_ve", "&Вверх", "Вн&из"),
    chooses("Cyrillic_i", "Вн&из", "&Вверх"),
    kFindNext,
};

const std::vector<BoxKey> kReplaceKeys = {
    {"Cyrillic_che", "&Что:", nullptr, focusIn(&CFindReplaceDialog::findField)},
    {"Cyrillic_ie", "Ч&ем:", nullptr, focusIn(&CFindReplaceDialog::replaceField)},
    toggles("Cyrillic_tse", "Только слово &целиком"),
    toggles("Cyrillic_u", "С &учетом регистра"),
    kFindNext,
    {"Cyrillic_ze", "&Заменить",
     [](CFindReplaceDialog*, CTabulonPlusView* view) {
         QTextCursor found = view->textCursor();
         found.setPosition(3, QTextCursor::KeepAnchor);
         view->setTextCursor(found);
     },
     [](CFindReplaceDialog*, CTabulonPlusView* view) {
         return view->toPlainText().count("x") == 1;
     }},
    {"Cyrillic_ve", "Заменить &все", nullptr,
     [](CFindReplaceDialog*, CTabulonPlusView* view) { return view->toPlainText() == "x x x"; }},
};

}  // namespace

// An item as its menu draws it: a text's own tab leads its key text, else its first key.
static QString shownItem(const QAction* action) {
    if (action->text().contains('\t') || action->shortcut().isEmpty()) return action->text();
    return action->text() + '\t' + action->shortcut().toString(QKeySequence::NativeText);
}

// The system menu of a form window names Ctrl+F4 for Close, the key that closes it, on this
// desktop as well, whose own Close key is Ctrl+W.
TEST_F(Keyboard, SystemMenuNamesCtrlF4ForClose) {
    ASSERT_NO_FATAL_FAILURE(startWithForms(2));
    QMdiSubWindow* window = mainFrame()->forms().mdiArea()->activeSubWindow();
    ASSERT_NE(window->systemMenu(), nullptr);
    QStringList shown;
    QAction* close = nullptr;
    for (QAction* action : window->systemMenu()->actions()) {
        shown << shownItem(action);
        if (shown.last().endsWith("\tCtrl+F4")) close = action;
    }
    const std::string items = shown.join(" | ").toStdString();
    ASSERT_NE(close, nullptr) << items;
    EXPECT_EQ(shown.filter("Ctrl+W").size(), 0) << items;

    close->trigger();
    EXPECT_TRUE(waitUntil([this] { return titles() == QStringList{"Безымянный1"}; }, 5000))
        << "the item named Ctrl+F4 closes the window";
}

// Every letter of the Find and Replace boxes works in the box, with real keys; the main menu
// bar, whose "&Вид" has the letter of "&Вверх" and "Заменить &все", takes none of them.
TEST_F(Keyboard, FindBoxLettersWorkInTheirBox) {
    ASSERT_NO_FATAL_FAILURE(startWithForms(1));
    press("a b c space a b c space a b c");
    ASSERT_TRUE(waitUntil(
        [this] { return mainFrame()->commands().action(id::ID_EDIT_FIND)->isEnabled(); }));
    for (const auto& [open, keys] : {std::pair{"ctrl+f", &kFindKeys}, {"ctrl+h", &kReplaceKeys}}) {
        ASSERT_NO_FATAL_FAILURE(focusText());
        press(open);
        CTabulonPlusView* view = mainFrame()->forms().formTemplate().activeView();
        QPointer<CFindReplaceDialog> box = view->findReplaceDialog();
        ASSERT_TRUE(box);
        ASSERT_TRUE(waitUntil([&] { return box->isActiveWindow(); }, 5000));
        box->findField()->setText("abc");
        if (box->replaceField()) box->replaceField()->setText("x");
        const RussianLayout russian;
        ASSERT_TRUE(russian.ok());
        for (const BoxKey& key : *keys) {
            SCOPED_TRACE(std::string(open) + " alt+" + key.keysym + " " + key.what);
            view->moveCursor(QTextCursor::Start);
            if (key.before) key.before(box, view);
            QPushButton* cancel = childWithText<QPushButton>(box, "Отмена");
            cancel->setFocus();
            ASSERT_TRUE(waitUntil([&] { return QApplication::focusWidget() == cancel; }, 5000));
            press(QStringLiteral("alt+") + key.keysym);
            // A button pressed by its letter is shown down for a moment before it acts.
            EXPECT_TRUE(waitUntil([&] { return key.reached(box, view); }, 3000));
            EXPECT_EQ(QApplication::activePopupWidget(), nullptr) << "a menu opened";
            EXPECT_TRUE(box->isActiveWindow());
            if (QWidget* popup = QApplication::activePopupWidget()) popup->close();
        }
        box->close();
    }
}
