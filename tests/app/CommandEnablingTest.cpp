#include <QAbstractEventDispatcher>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <atomic>
#include <thread>

#include "forms/FormTemplate.h"
#include "forms/TabulonPlusView.h"
#include "frames/CommandRouter.h"
#include "frames/ExchangeControl.h"
#include "frames/FormWindows.h"
#include "frames/MainFrame.h"
#include "res/CommandIds.h"
#include "tests/app/AppFixture.h"

namespace {

// The program with a worker that runs until released, so that an exchange starts and ends
// when the test says.
class CommandEnabling : public AppFixture {
public:
    // For the table's changes.
    using AppFixture::mainFrame;
    CTabulonPlusView* view() const { return mainFrame()->forms().formTemplate().activeView(); }
    std::atomic<bool> m_release{false};

protected:
    void SetUp() override {
        AppFixture::SetUp();
        QApplication::clipboard()->clear();
        m_app = std::make_unique<CTabulonPlusApp>();
        m_app->setThreadProc([this](void* p) {
            while (!m_release) std::this_thread::sleep_for(std::chrono::milliseconds(1));
            static_cast<ReceiveControl*>(p)->m_bReceiving.store(0);
            return 0u;
        });
        ASSERT_TRUE(m_app->InitInstance({}));
        mainFrame()->exchange().setTickInterval(24 * 3600 * 1000);  // the end comes by the worker
        settle();
    }
    void TearDown() override {
        m_release = true;
        AppFixture::TearDown();
    }

    // One pass over what is posted: a refresh on a timer of even a few milliseconds misses it.
    static void settle() {
        for (int i = 0; i < 3; ++i) {
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            QApplication::processEvents();
        }
    }
};

struct Change {
    const char* name;
    std::function<void(CommandEnabling&)> prepare;
    std::function<void(CommandEnabling&)> change;
    unsigned command;
    bool before;
};

void PrintTo(const Change& c, std::ostream* os) {
    *os << c.name;
}

class CommandEnablingAfter : public CommandEnabling, public testing::WithParamInterface<Change> {};

TEST_P(CommandEnablingAfter, TheActionFollowsWithoutATimer) {
    const Change& c = GetParam();
    if (c.prepare) c.prepare(*this);
    settle();
    QAction* action = mainFrame()->commands().action(c.command);
    ASSERT_NE(action, nullptr);
    ASSERT_EQ(action->isEnabled(), c.before);
    c.change(*this);
    settle();
    EXPECT_EQ(action->isEnabled(), !c.before);
    EXPECT_EQ(mainFrame()->commands().isEnabled(c.command), !c.before) << "what the table says now";
}

const Change kChanges[] = {
    {"ActivateAFormWithText",
     [](auto& t) {
         t.view()->setPlainText("т1 = 94.21");
         t.mainFrame()->commands().run(id::ID_FILE_NEW);
     },
     [](auto& t) {
         t.mainFrame()->forms().mdiArea()->setActiveSubWindow(
             t.mainFrame()->forms().mdiArea()->subWindowList().first());
     },
     id::ID_EDIT_SELECT_ALL, false},
    {"SelectText", [](auto& t) { t.view()->setPlainText("т1 = 94.21"); },
     [](auto& t) { t.view()->selectAll(); }, id::ID_EDIT_COPY, false},
    {"TypeText", {}, [](auto& t) { t.view()->insertPlainText("т1"); }, id::ID_EDIT_UNDO, false},
    {"ClipboardGetsText",
     {},
     [](auto&) { QApplication::clipboard()->setText("т1"); },
     id::ID_EDIT_PASTE,
     false},
    {"ExchangeStarts",
     {},
     [](auto& t) { ASSERT_TRUE(t.mainFrame()->exchange().start()); },
     id::ID_CONNECT,
     true},
    {"ExchangeEnds", [](auto& t) { ASSERT_TRUE(t.mainFrame()->exchange().start()); },
     [](auto& t) {
         // The windows learn of the end from the worker's queued signal, which may be posted
         // a moment after the worker is seen gone: wait for its delivery, not for the flag.
         bool delivered = false;
         const auto connection = QObject::connect(
             &t.mainFrame()->exchange(), &ExchangeControl::workerFinished, t.mainFrame(),
             [&delivered] { delivered = true; }, Qt::QueuedConnection);
         t.m_release = true;
         for (int i = 0; i < 5000 && !delivered; ++i) {
             std::this_thread::sleep_for(std::chrono::milliseconds(1));
             QCoreApplication::processEvents();
         }
         QObject::disconnect(connection);
     },
     id::ID_STOP_RECEIVE, true},
    {"LastFormCloses",
     {},
     [](auto& t) { t.mainFrame()->forms().mdiArea()->closeAllSubWindows(); },
     id::ID_WINDOW_CASCADE,
     true},
};

INSTANTIATE_TEST_SUITE_P(Changes, CommandEnablingAfter, testing::ValuesIn(kChanges),
                         [](const auto& info) { return std::string(info.param.name); });

// Nothing in the idle program wakes it: no timer runs in the main window or below it, but the
// caret blinking in the focused form, as in any text field.
TEST_F(CommandEnabling, TheIdleFrameRunsNoTimer) {
    QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance();
    QObjectList objects{mainFrame()};
    objects += mainFrame()->findChildren<QObject*>();
    for (QObject* o : objects) {
        if (o->inherits("QWidgetTextControl")) continue;
        for (const auto& timer : dispatcher->registeredTimers(o))
            ADD_FAILURE() << o->metaObject()->className() << " " << o->objectName().toStdString()
                          << " runs a timer of " << timer.interval << " ms";
    }
}

}  // namespace
