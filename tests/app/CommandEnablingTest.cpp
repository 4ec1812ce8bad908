#include <QAbstractEventDispatcher>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <atomic>
#include <thread>

#include "AppFixture.h"
#include "forms/FormTemplate.h"
#include "forms/TabulonPlusView.h"
#include "frames/ExchangeControl.h"
#include "frames/MainFrame.h"
#include "res/CommandIds.h"

namespace {

// The program with a worker that runs until released, so that an exchange starts and ends
// when the test says.
class CommandEnabling : public AppFixture {
public:
    // For the table's changes.
    using AppFixture::Frame;
    CTabulonPlusView* View() const { return Frame()->Template().ActiveView(); }
    std::atomic<bool> m_release{false};

protected:
    void SetUp() override {
        AppFixture::SetUp();
        QApplication::clipboard()->clear();
        m_app = std::make_unique<CTabulonPlusApp>();
        m_app->SetThreadProc([this](void* p) {
            while (!m_release) std::this_thread::sleep_for(std::chrono::milliseconds(1));
            static_cast<ReceiveControl*>(p)->m_bReceiving.store(0);
            return 0u;
        });
        ASSERT_TRUE(m_app->InitInstance({}));
        Frame()->Exchange().setTickInterval(24 * 3600 * 1000);  // the end comes by the worker
        Settle();
    }
    void TearDown() override {
        m_release = true;
        AppFixture::TearDown();
    }

    // One pass over what is posted: a refresh on a timer of even a few milliseconds misses it.
    static void Settle() {
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
    Settle();
    QAction* action = Frame()->Action(c.command);
    ASSERT_NE(action, nullptr);
    ASSERT_EQ(action->isEnabled(), c.before);
    c.change(*this);
    Settle();
    EXPECT_EQ(action->isEnabled(), !c.before);
    EXPECT_EQ(Frame()->IsCommandEnabled(c.command), !c.before) << "what the table says now";
}

const Change kChanges[] = {
    {"ActivateAFormWithText",
     [](auto& t) {
         t.View()->setPlainText("т1 = 94.21");
         t.Frame()->OnCommand(id::ID_FILE_NEW);
     },
     [](auto& t) {
         t.Frame()->MdiArea()->setActiveSubWindow(t.Frame()->MdiArea()->subWindowList().first());
     },
     id::ID_EDIT_SELECT_ALL, false},
    {"SelectText", [](auto& t) { t.View()->setPlainText("т1 = 94.21"); },
     [](auto& t) { t.View()->selectAll(); }, id::ID_EDIT_COPY, false},
    {"TypeText", {}, [](auto& t) { t.View()->insertPlainText("т1"); }, id::ID_EDIT_UNDO, false},
    {"ClipboardGetsText",
     {},
     [](auto&) { QApplication::clipboard()->setText("т1"); },
     id::ID_EDIT_PASTE,
     false},
    {"ExchangeStarts",
     {},
     [](auto& t) { ASSERT_TRUE(t.Frame()->Exchange().start()); },
     id::ID_CONNECT,
     true},
    {"ExchangeEnds", [](auto& t) { ASSERT_TRUE(t.Frame()->Exchange().start()); },
     [](auto& t) {
         // The windows learn of the end from the worker's queued signal, which may be posted
         // a moment after the worker is seen gone: wait for its delivery, not for the flag.
         bool delivered = false;
         const auto connection = QObject::connect(
             &t.Frame()->Exchange(), &ExchangeControl::workerFinished, t.Frame(),
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
     [](auto& t) { t.Frame()->MdiArea()->closeAllSubWindows(); },
     id::ID_WINDOW_CASCADE,
     true},
};

INSTANTIATE_TEST_SUITE_P(Changes, CommandEnablingAfter, testing::ValuesIn(kChanges),
                         [](const auto& info) { return std::string(info.param.name); });

// Nothing in the idle program wakes it: no timer runs in the main window or below it, but the
// caret blinking in the focused form, as in any text field.
TEST_F(CommandEnabling, TheIdleFrameRunsNoTimer) {
    QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance();
    QObjectList objects{Frame()};
    objects += Frame()->findChildren<QObject*>();
    for (QObject* o : objects) {
        if (o->inherits("QWidgetTextControl")) continue;
        for (const auto& timer : dispatcher->registeredTimers(o))
            ADD_FAILURE() << o->metaObject()->className() << " " << o->objectName().toStdString()
                          << " runs a timer of " << timer.interval << " ms";
    }
}

}  // namespace
