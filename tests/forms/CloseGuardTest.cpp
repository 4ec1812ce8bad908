#include <QPointer>
#include <QTest>
#include <atomic>
#include <thread>

#include "forms/ChildFrame.h"
#include "forms/TabulonPlusDoc.h"
#include "forms/TabulonPlusView.h"
#include "res/CommandIds.h"
#include "tests/forms/FormsFixture.h"

namespace {

const QString kGuardQuestion =
    "Документ не может быть закрыт до окончания передачи данных!\nОстановить передачу данных?";

void deleteClosed() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

}  // namespace

// An exchange runs into the newest form; the stop function records what it saw.
class CloseGuard : public FormsFixture {
protected:
    void SetUp() override {
        FormsFixture::SetUp();
        older = formTemplate->openNewDocument();
        olderFrame = formTemplate->activeFrame();
        receiving = formTemplate->openNewDocument();
        receivingFrame = formTemplate->activeFrame();
        rc.m_bReceiving = 1;
        formTemplate->setStopExchange([this] {
            ++stops;
            stopSawAbort = rc.m_bAbort.load();
            stopSawStop = rc.m_bStop.load();
            windowAliveAtStop = !receivingWindow.isNull() && receivingWindow->isVisible();
        });
        receivingWindow = receivingFrame;
    }

    CTabulonPlusDoc* older = nullptr;
    CChildFrame* olderFrame = nullptr;
    CTabulonPlusDoc* receiving = nullptr;
    CChildFrame* receivingFrame = nullptr;
    QPointer<CChildFrame> receivingWindow;
    int stops = 0;
    int stopSawAbort = -1, stopSawStop = -1;
    bool windowAliveAtStop = false;
};

TEST_F(CloseGuard, CancelKeepsTheWindowAndTheExchange) {
    answerer.answerInOrder({msg::IDCANCEL});
    receivingFrame->close();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, kGuardQuestion);
    EXPECT_EQ(boxes[0].style, 0x21u);
    EXPECT_TRUE(receivingFrame->isVisible());
    EXPECT_EQ(rc.m_bAbort, 0);
    EXPECT_EQ(rc.m_bStop, 0);
    EXPECT_EQ(stops, 0);
    EXPECT_EQ(rc.m_pReceivingFrame, receivingFrame);
}

TEST_F(CloseGuard, OkStopsTheWorkerBeforeTheWindowGoes) {
    // A worker's view of the flags: whenever it sees the stop, the abort is already there.
    std::atomic<bool> sawStopWithoutAbort{false}, done{false};
    std::thread watcher([&] {
        while (!done)
            if (rc.m_bStop && !rc.m_bAbort) sawStopWithoutAbort = true;
    });
    answerer.answerInOrder({msg::IDOK});
    receivingFrame->close();
    done = true;
    watcher.join();

    EXPECT_FALSE(sawStopWithoutAbort);
    EXPECT_EQ(boxes.size(), 1u) << "an unmodified form has no save question";
    EXPECT_EQ(stops, 1);
    EXPECT_EQ(stopSawAbort, 1);
    EXPECT_EQ(stopSawStop, 1);
    EXPECT_TRUE(windowAliveAtStop);
    deleteClosed();
    EXPECT_TRUE(receivingWindow.isNull());
    EXPECT_EQ(rc.m_pView, nullptr);
}

// OK, then Cancel at the save question: the window stays though the exchange was told to stop.
TEST_F(CloseGuard, CancelledSaveQuestionKeepsTheWindowAfterOk) {
    QTest::keyClicks(receivingFrame->GetActiveView(), "edit");
    answerer.answerInOrder({msg::IDOK, msg::IDCANCEL});
    receivingFrame->close();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[1].text, "Save changes to Безымянный2?");
    EXPECT_TRUE(receivingFrame->isVisible());
    EXPECT_EQ(rc.m_bAbort, 1);
    EXPECT_EQ(rc.m_bStop, 1);
}

TEST_F(CloseGuard, OtherWindowsAndIdleWindowsCloseWithoutTheQuestion) {
    olderFrame->close();
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(rc.m_bStop, 0);
    EXPECT_EQ(rc.m_pReceivingFrame, receivingFrame) << "the exchange keeps its window";

    rc.m_bReceiving = 0;
    receivingFrame->close();
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(stops, 0);
}

TEST_F(CloseGuard, FileCloseAsksTheGuardToo) {
    answerer.answerInOrder({msg::IDCANCEL});
    EXPECT_TRUE(receiving->onCommand(id::ID_FILE_CLOSE));
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, kGuardQuestion);
    EXPECT_TRUE(receivingFrame->isVisible());

    answerer.answerInOrder({msg::IDOK});
    receiving->onCommand(id::ID_FILE_CLOSE);
    EXPECT_EQ(stops, 1);
    EXPECT_TRUE(windowAliveAtStop);
    deleteClosed();
    EXPECT_TRUE(receivingWindow.isNull());
}

TEST_F(CloseGuard, ClosingEverythingAsksTheGuardAndTheSaveQuestions) {
    QTest::keyClicks(olderFrame->GetActiveView(), "edit");
    answerer.answerInOrder({msg::IDNO, msg::IDCANCEL});
    EXPECT_FALSE(formTemplate->closeAllDocuments());
    EXPECT_EQ(boxes.size(), 2u) << "the older form's save question, then the guard";
    EXPECT_EQ(boxes[1].text, kGuardQuestion);
    deleteClosed();
    EXPECT_EQ(area->subWindowList().size(), 2);

    boxes.clear();
    answerer.answerInOrder({msg::IDNO, msg::IDOK});
    EXPECT_TRUE(formTemplate->closeAllDocuments());
    EXPECT_EQ(boxes.size(), 2u);
    EXPECT_EQ(stops, 1);
    deleteClosed();
    EXPECT_TRUE(area->subWindowList().isEmpty());
}

// A second window made during an exchange leaves the receiving window as it was: the first
// window asks, the second closes freely.
TEST_F(CloseGuard, AWindowMadeDuringTheExchangeDoesNotTakeOverTheGuard) {
    formTemplate->onWindowNew();
    CChildFrame* second = formTemplate->activeFrame();
    ASSERT_NE(second, receivingFrame);
    second->close();
    EXPECT_TRUE(boxes.empty());
    answerer.answerInOrder({msg::IDCANCEL});
    receivingFrame->close();
    EXPECT_EQ(boxes.size(), 1u);
    EXPECT_TRUE(receivingFrame->isVisible());
}
