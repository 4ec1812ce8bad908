#include <QSignalSpy>
#include <QTest>
#include <QTextDocument>

#include "forms/ChildFrame.h"
#include "forms/TabulonPlusDoc.h"
#include "forms/TabulonPlusView.h"
#include "res/CommandIds.h"
#include "tests/forms/FormsFixture.h"

using Template = FormsFixture;

namespace {
void deleteClosed() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}
}  // namespace

// Numbers belong to the whole run: closed forms do not give theirs back.
TEST_F(Template, NewFormsAreNumberedForTheWholeRun) {
    CTabulonPlusDoc* first = formTemplate->openNewDocument();
    EXPECT_EQ(first->getTitle(), "Безымянный1");
    ASSERT_TRUE(formTemplate->closeDocument(first));
    deleteClosed();
    CTabulonPlusDoc* second = formTemplate->openNewDocument();
    EXPECT_EQ(second->getTitle(), "Безымянный2");
    CTabulonPlusDoc* third = formTemplate->openNewDocument();
    formTemplate->closeDocument(second);
    formTemplate->closeDocument(third);
    deleteClosed();
    EXPECT_TRUE(formTemplate->documents().isEmpty());
    EXPECT_TRUE(area->subWindowList().isEmpty());
    EXPECT_EQ(formTemplate->openNewDocument()->getTitle(), "Безымянный4");
    EXPECT_EQ(area->subWindowList().size(), 1);
    EXPECT_TRUE(boxes.empty());
}

// The window announces itself before its view does, and both are the newest ones.
TEST_F(Template, NewestWindowAndViewReceive) {
    CTabulonPlusDoc* a = formTemplate->openNewDocument();
    CChildFrame* frameA = formTemplate->activeFrame();
    EXPECT_EQ(rc.m_pReceivingFrame, frameA);
    EXPECT_EQ(rc.m_pView, frameA->GetActiveView());
    EXPECT_EQ(frameA->getDocument(), a);

    formTemplate->openNewDocument();
    CChildFrame* frameB = formTemplate->activeFrame();
    EXPECT_NE(frameA, frameB);
    area->setActiveSubWindow(frameA);  // working in the older one changes nothing
    EXPECT_EQ(rc.m_pReceivingFrame, frameB);
    EXPECT_EQ(rc.m_pView, frameB->GetActiveView());

    // Closing the receiving form leaves nothing dangling in the block.
    frameB->close();
    EXPECT_EQ(rc.m_pReceivingFrame, nullptr);
    EXPECT_EQ(rc.m_pView, nullptr);
    deleteClosed();
    EXPECT_EQ(area->subWindowList(), QList<QMdiSubWindow*>{frameA});
}

TEST_F(Template, OpeningAnOpenFileBringsItsWindowForward) {
    QFile f(path("form"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("x");
    f.close();
    QSignalSpy recent(formTemplate.get(), &CFormTemplate::recentFileAdded);
    chosenPath = path("form");
    formTemplate->OnFileOpen(nullptr);
    ASSERT_EQ(dialogs.size(), 1u);
    EXPECT_EQ(dialogs[0].first, "open");
    CTabulonPlusDoc* doc = formTemplate->activeDocument();
    ASSERT_NE(doc, nullptr);
    EXPECT_EQ(doc->getPathName(), path("form"));
    EXPECT_EQ(recent.count(), 1);

    formTemplate->openNewDocument();
    EXPECT_EQ(formTemplate->openDocumentFile(path("form")), doc);
    EXPECT_EQ(formTemplate->activeDocument(), doc);
    EXPECT_EQ(formTemplate->documents().size(), 2);
    chosenPath = {};
    formTemplate->OnFileOpen(nullptr);  // cancelled
    EXPECT_EQ(formTemplate->documents().size(), 2);
}

// A second window shows the same text: typing in either changes the one form.
TEST_F(Template, SecondWindowEditsTheOneForm) {
    CTabulonPlusDoc* doc = formTemplate->openNewDocument();
    CChildFrame* first = formTemplate->activeFrame();
    formTemplate->onWindowNew();
    CChildFrame* second = formTemplate->activeFrame();
    ASSERT_NE(first, second);
    EXPECT_EQ(second->getDocument(), doc);
    EXPECT_EQ(rc.m_pReceivingFrame, second);
    EXPECT_EQ(rc.m_pView, second->GetActiveView());
    EXPECT_EQ(first->windowTitle(), "Безымянный1:1[*]");
    EXPECT_EQ(second->windowTitle(), "Безымянный1:2[*]");

    QTest::keyClicks(first->GetActiveView(), "abc");
    QTest::keyClicks(second->GetActiveView(), "XY");
    EXPECT_EQ(doc->getTextDocument()->toPlainText(), second->GetActiveView()->toPlainText());
    EXPECT_EQ(first->GetActiveView()->toPlainText().size(), 5);
    EXPECT_TRUE(first->isWindowModified());
    EXPECT_TRUE(second->isWindowModified());

    // Not the last window: no save question.
    first->close();
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(second->windowTitle(), "Безымянный1[*]");
    answerer.answerInOrder({msg::IDCANCEL});
    second->close();
    EXPECT_EQ(boxes.size(), 1u);
    EXPECT_TRUE(second->isVisible()) << "Cancel keeps the last window";
    EXPECT_EQ(formTemplate->documents().size(), 1);
}

TEST_F(Template, FileCloseAsksOnceAndClosesEveryWindowOfTheForm) {
    CTabulonPlusDoc* doc = formTemplate->openNewDocument();
    formTemplate->onWindowNew();
    formTemplate->openNewDocument();
    QTest::keyClicks(formTemplate->activeView(), "z");
    area->setActiveSubWindow(doc->frames().constFirst());
    QTest::keyClicks(formTemplate->activeView(), "q");
    EXPECT_TRUE(formTemplate->activeDocument()->isCommandEnabled(id::ID_FILE_CLOSE));

    answerer.answerInOrder({msg::IDNO});
    ASSERT_TRUE(formTemplate->activeDocument()->onCommand(id::ID_FILE_CLOSE));
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Save changes to Безымянный1?");
    deleteClosed();
    EXPECT_EQ(area->subWindowList().size(), 1);
    EXPECT_EQ(formTemplate->documents().size(), 1);
}

TEST_F(Template, CloseAllAsksEveryFormFirstAndClosesNothingOnCancel) {
    formTemplate->openNewDocument();
    QTest::keyClicks(formTemplate->activeView(), "one");
    formTemplate->openNewDocument();
    formTemplate->openNewDocument();
    QTest::keyClicks(formTemplate->activeView(), "three");

    answerer.answerInOrder({msg::IDNO, msg::IDCANCEL});
    EXPECT_FALSE(formTemplate->closeAllDocuments());
    EXPECT_EQ(boxes.size(), 2u) << "the unmodified form asks nothing";
    deleteClosed();
    EXPECT_EQ(area->subWindowList().size(), 3);

    answerer.answerInOrder({msg::IDNO, msg::IDNO});
    EXPECT_TRUE(formTemplate->closeAllDocuments());
    deleteClosed();
    EXPECT_TRUE(area->subWindowList().isEmpty());
    EXPECT_TRUE(formTemplate->documents().isEmpty());
    EXPECT_EQ(rc.m_pView, nullptr);
    EXPECT_EQ(rc.m_pReceivingFrame, nullptr);
}

TEST_F(Template, NewWindowsCascadeOverMostOfTheArea) {
    const QSize area = this->area->viewport()->size();
    const QSize expected(area.width() * 3 / 4, area.height() * 3 / 4);
    CTabulonPlusDoc* first = formTemplate->openNewDocument();
    CTabulonPlusDoc* second = formTemplate->openNewDocument();
    ASSERT_TRUE(first && second);
    QWidget* a = first->frames().front();
    QWidget* b = second->frames().front();
    EXPECT_EQ(a->size(), expected);
    EXPECT_EQ(b->size(), expected);
    EXPECT_EQ(a->pos(), QPoint(0, 0));
    EXPECT_GT(b->pos().x(), 0);
    EXPECT_EQ(b->pos().x(), b->pos().y()) << "one title bar below and to the right";

    // Windows that would leave the area start again at the top left.
    QWidget* last = b;
    for (int i = 0; i < 30 && last->pos() != QPoint(0, 0); ++i)
        last = formTemplate->openNewDocument()->frames().front();
    EXPECT_EQ(last->pos(), QPoint(0, 0));
}

// The form made at start-up, before the main window has its size, is placed once it has.
TEST_F(Template, FormsMadeBeforeTheAreaHasItsSizeArePlacedWhenItHas) {
    area->hide();
    area->resize(640, 480);
    QWidget* a = formTemplate->openNewDocument()->frames().front();
    QWidget* b = formTemplate->openNewDocument()->frames().front();
    area->resize(1000, 700);
    area->show();
    QCoreApplication::sendPostedEvents();
    const QSize viewport = area->viewport()->size();
    const QSize expected(viewport.width() * 3 / 4, viewport.height() * 3 / 4);
    EXPECT_EQ(a->size(), expected);
    EXPECT_EQ(b->size(), expected);
    EXPECT_EQ(a->pos(), QPoint(0, 0));
    EXPECT_EQ(b->pos().x(), b->pos().y());
    EXPECT_GT(b->pos().x(), 0);
}
