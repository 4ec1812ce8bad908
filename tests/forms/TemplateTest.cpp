#include <QSignalSpy>
#include <QTest>
#include <QTextDocument>

#include "FormsFixture.h"
#include "forms/ChildFrame.h"
#include "forms/TabulonPlusDoc.h"
#include "forms/TabulonPlusView.h"
#include "res/CommandIds.h"

using Template = FormsFixture;

namespace {
void deleteClosed() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}
}  // namespace

// Numbers belong to the whole run: closed forms do not give theirs back.
TEST_F(Template, NewFormsAreNumberedForTheWholeRun) {
    CTabulonPlusDoc* first = formTemplate->OpenNewDocument();
    EXPECT_EQ(first->GetTitle(), "Безымянный1");
    ASSERT_TRUE(formTemplate->closeDocument(first));
    deleteClosed();
    CTabulonPlusDoc* second = formTemplate->OpenNewDocument();
    EXPECT_EQ(second->GetTitle(), "Безымянный2");
    CTabulonPlusDoc* third = formTemplate->OpenNewDocument();
    formTemplate->closeDocument(second);
    formTemplate->closeDocument(third);
    deleteClosed();
    EXPECT_TRUE(formTemplate->Documents().isEmpty());
    EXPECT_TRUE(area->subWindowList().isEmpty());
    EXPECT_EQ(formTemplate->OpenNewDocument()->GetTitle(), "Безымянный4");
    EXPECT_EQ(area->subWindowList().size(), 1);
    EXPECT_TRUE(boxes.empty());
}

// The window announces itself before its view does, and both are the newest ones.
TEST_F(Template, NewestWindowAndViewReceive) {
    CTabulonPlusDoc* a = formTemplate->OpenNewDocument();
    CChildFrame* frameA = formTemplate->ActiveFrame();
    EXPECT_EQ(rc.m_pReceivingFrame, frameA);
    EXPECT_EQ(rc.m_pView, frameA->GetActiveView());
    EXPECT_EQ(frameA->GetDocument(), a);

    formTemplate->OpenNewDocument();
    CChildFrame* frameB = formTemplate->ActiveFrame();
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
    QSignalSpy recent(formTemplate.get(), &CFormTemplate::RecentFileAdded);
    chosenPath = path("form");
    formTemplate->OnFileOpen(nullptr);
    ASSERT_EQ(dialogs.size(), 1u);
    EXPECT_EQ(dialogs[0].first, "open");
    CTabulonPlusDoc* doc = formTemplate->ActiveDocument();
    ASSERT_NE(doc, nullptr);
    EXPECT_EQ(doc->GetPathName(), path("form"));
    EXPECT_EQ(recent.count(), 1);

    formTemplate->OpenNewDocument();
    EXPECT_EQ(formTemplate->OpenDocumentFile(path("form")), doc);
    EXPECT_EQ(formTemplate->ActiveDocument(), doc);
    EXPECT_EQ(formTemplate->Documents().size(), 2);
    chosenPath = {};
    formTemplate->OnFileOpen(nullptr);  // cancelled
    EXPECT_EQ(formTemplate->Documents().size(), 2);
}

// A second window shows the same text: typing in either changes the one form.
TEST_F(Template, SecondWindowEditsTheOneForm) {
    CTabulonPlusDoc* doc = formTemplate->OpenNewDocument();
    CChildFrame* first = formTemplate->ActiveFrame();
    formTemplate->OnWindowNew();
    CChildFrame* second = formTemplate->ActiveFrame();
    ASSERT_NE(first, second);
    EXPECT_EQ(second->GetDocument(), doc);
    EXPECT_EQ(rc.m_pReceivingFrame, second);
    EXPECT_EQ(rc.m_pView, second->GetActiveView());
    EXPECT_EQ(first->windowTitle(), "Безымянный1:1[*]");
    EXPECT_EQ(second->windowTitle(), "Безымянный1:2[*]");

    QTest::keyClicks(first->GetActiveView(), "abc");
    QTest::keyClicks(second->GetActiveView(), "XY");
    EXPECT_EQ(doc->GetTextDocument()->toPlainText(), second->GetActiveView()->toPlainText());
    EXPECT_EQ(first->GetActiveView()->toPlainText().size(), 5);
    EXPECT_TRUE(first->isWindowModified());
    EXPECT_TRUE(second->isWindowModified());

    // Not the last window: no save question.
    first->close();
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(second->windowTitle(), "Безымянный1[*]");
    answers = {msg::IDCANCEL};
    second->close();
    EXPECT_EQ(boxes.size(), 1u);
    EXPECT_TRUE(second->isVisible()) << "Cancel keeps the last window";
    EXPECT_EQ(formTemplate->Documents().size(), 1);
}

TEST_F(Template, FileCloseAsksOnceAndClosesEveryWindowOfTheForm) {
    CTabulonPlusDoc* doc = formTemplate->OpenNewDocument();
    formTemplate->OnWindowNew();
    formTemplate->OpenNewDocument();
    QTest::keyClicks(formTemplate->ActiveView(), "z");
    area->setActiveSubWindow(doc->Frames().constFirst());
    QTest::keyClicks(formTemplate->ActiveView(), "q");
    EXPECT_TRUE(formTemplate->ActiveDocument()->IsCommandEnabled(id::ID_FILE_CLOSE));

    answers = {msg::IDNO};
    ASSERT_TRUE(formTemplate->ActiveDocument()->OnCommand(id::ID_FILE_CLOSE));
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Save changes to Безымянный1?");
    deleteClosed();
    EXPECT_EQ(area->subWindowList().size(), 1);
    EXPECT_EQ(formTemplate->Documents().size(), 1);
}

TEST_F(Template, CloseAllAsksEveryFormFirstAndClosesNothingOnCancel) {
    formTemplate->OpenNewDocument();
    QTest::keyClicks(formTemplate->ActiveView(), "one");
    formTemplate->OpenNewDocument();
    formTemplate->OpenNewDocument();
    QTest::keyClicks(formTemplate->ActiveView(), "three");

    answers = {msg::IDNO, msg::IDCANCEL};
    EXPECT_FALSE(formTemplate->CloseAllDocuments());
    EXPECT_EQ(boxes.size(), 2u) << "the unmodified form asks nothing";
    deleteClosed();
    EXPECT_EQ(area->subWindowList().size(), 3);

    answers = {msg::IDNO, msg::IDNO};
    EXPECT_TRUE(formTemplate->CloseAllDocuments());
    deleteClosed();
    EXPECT_TRUE(area->subWindowList().isEmpty());
    EXPECT_TRUE(formTemplate->Documents().isEmpty());
    EXPECT_EQ(rc.m_pView, nullptr);
    EXPECT_EQ(rc.m_pReceivingFrame, nullptr);
}

TEST_F(Template, NewWindowsCascadeOverMostOfTheArea) {
    const QSize area = this->area->viewport()->size();
    const QSize expected(area.width() * 3 / 4, area.height() * 3 / 4);
    CTabulonPlusDoc* first = formTemplate->OpenNewDocument();
    CTabulonPlusDoc* second = formTemplate->OpenNewDocument();
    ASSERT_TRUE(first && second);
    QWidget* a = first->Frames().front();
    QWidget* b = second->Frames().front();
    EXPECT_EQ(a->size(), expected);
    EXPECT_EQ(b->size(), expected);
    EXPECT_EQ(a->pos(), QPoint(0, 0));
    EXPECT_GT(b->pos().x(), 0);
    EXPECT_EQ(b->pos().x(), b->pos().y()) << "one title bar below and to the right";

    // Windows that would leave the area start again at the top left.
    QWidget* last = b;
    for (int i = 0; i < 30 && last->pos() != QPoint(0, 0); ++i)
        last = formTemplate->OpenNewDocument()->Frames().front();
    EXPECT_EQ(last->pos(), QPoint(0, 0));
}
