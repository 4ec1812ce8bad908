#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>
#include <functional>

#include "forms/FindReplaceDialog.h"
#include "forms/TabulonPlusDoc.h"
#include "forms/TabulonPlusView.h"
#include "res/CommandIds.h"
#include "tests/forms/FormsFixture.h"
#include "tests/res/Mnemonics.h"

using View = FormsFixture;

namespace {

FindState search(const char* what, bool down = true, bool matchCase = false,
                 bool wholeWord = false) {
    FindState state;
    state.strFind = QString::fromUtf8(what);
    state.bDown = down;
    state.bMatchCase = matchCase;
    state.bWholeWord = wholeWord;
    return state;
}

FindState withReplacement(const char* what, const char* replacement) {
    FindState state = search(what);
    state.strReplace = QString::fromUtf8(replacement);
    return state;
}

}  // namespace

TEST_F(View, InitialUpdateSetsFontMarginsAndNoWrapOnce) {
    formTemplate->openNewDocument();
    CTabulonPlusView* view = formTemplate->activeView();
    ASSERT_NE(view->viewFont(), nullptr);
    const QFont* font = view->viewFont();
    EXPECT_EQ(font->pointSize(), 11);
    EXPECT_EQ(font->families().value(0), "Courier New");
    EXPECT_TRUE(QFontInfo(view->font()).fixedPitch()) << "the face found has a fixed pitch";
    EXPECT_EQ(view->printMargins(), QMargins(720, 720, 720, 720));
    EXPECT_EQ(view->lineWrapMode(), QTextEdit::NoWrap);

    rc.m_pView = nullptr;
    view->OnInitialUpdate();
    EXPECT_EQ(rc.m_pView, view) << "a second initial update registers again";
    EXPECT_EQ(view->viewFont(), font) << "but makes no second font";
}

// The widths the document lays its lines out with, not the font a widget was given: a narrow
// and a wide letter take the same room, so the columns of a report form line up.
static void expectFixedPitchLayout(QTextDocument* doc) {
    const QFont font = doc->defaultFont();
    EXPECT_DOUBLE_EQ(font.pointSizeF(), 11.0);
    EXPECT_TRUE(QFontInfo(font).fixedPitch()) << QFontInfo(font).family().toStdString();
    const QFontMetricsF metrics(font);
    EXPECT_DOUBLE_EQ(metrics.horizontalAdvance(QStringLiteral("iiiiiiiiii")),
                     metrics.horizontalAdvance(QStringLiteral("WWWWWWWWWW")));
    doc->setPlainText(QStringLiteral("iiiiiiiiii\nWWWWWWWWWW\nЖЖЖЖЖЖЖЖЖЖ"));
    doc->documentLayout()->documentSize();  // lays every block out
    QList<qreal> widths;
    for (QTextBlock b = doc->firstBlock(); b.isValid(); b = b.next())
        widths.append(b.layout()->lineAt(0).naturalTextWidth());
    ASSERT_EQ(widths.size(), 3);
    EXPECT_GT(widths[0], 0.0);
    EXPECT_DOUBLE_EQ(widths[0], widths[1]);
    EXPECT_DOUBLE_EQ(widths[0], widths[2]) << "Cyrillic letters in the same face";
}

// Every way a window onto a form comes to be shows the form in the same fixed-pitch face.
TEST_F(View, EveryFormWindowLaysTextOutInFixedPitch) {
    QFile file(path("form.txt"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("\xCE\xF2\xF7\xE5\xF2\r\n");
    file.close();
    const std::vector<std::pair<const char*, std::function<void()>>> ways = {
        {"new", [&] { formTemplate->openNewDocument(); }},
        {"opened", [&] { formTemplate->openDocumentFile(path("form.txt")); }},
        {"second window", [&] { formTemplate->onWindowNew(); }},
    };
    for (const auto& [name, make] : ways) {
        SCOPED_TRACE(name);
        make();
        CTabulonPlusView* view = formTemplate->activeView();
        ASSERT_NE(view, nullptr);
        view->setFormText("delivered");
        expectFixedPitchLayout(view->document());
    }
}

TEST_F(View, LongLinesScrollSideways) {
    formTemplate->openNewDocument();
    CTabulonPlusView* view = formTemplate->activeView();
    view->setFormText(QByteArray(1000, '=') + "\r\nshort");
    QCoreApplication::processEvents();
    EXPECT_LT(view->document()->documentLayout()->documentSize().height(),
              3 * QFontMetricsF(view->font()).lineSpacing())
        << "two lines, the long one not wrapped";
    EXPECT_GT(view->horizontalScrollBar()->maximum(), 0);
}

TEST_F(View, CommandsAreEnabledAsTheTextAllows) {
    formTemplate->openNewDocument();
    CTabulonPlusView* view = formTemplate->activeView();
    CTabulonPlusView::sharedFindState() = {};
    for (unsigned id : {id::ID_FILE_PRINT, id::ID_FILE_PRINT_DIRECT, id::ID_FILE_PRINT_PREVIEW})
        EXPECT_TRUE(view->isCommandEnabled(id));
    for (unsigned id : {id::ID_EDIT_UNDO, id::ID_EDIT_CUT, id::ID_EDIT_COPY, id::ID_EDIT_SELECT_ALL,
                        id::ID_EDIT_FIND, id::ID_EDIT_REPLACE, id::ID_EDIT_REPEAT})
        EXPECT_FALSE(view->isCommandEnabled(id)) << id;
    EXPECT_FALSE(view->isCommandEnabled(id::ID_FILE_SAVE)) << "not the view's command";

    QTest::keyClicks(view, "abc abc");
    EXPECT_TRUE(view->isCommandEnabled(id::ID_EDIT_UNDO));
    EXPECT_TRUE(view->isCommandEnabled(id::ID_EDIT_FIND));
    EXPECT_TRUE(view->isCommandEnabled(id::ID_EDIT_REPLACE));
    EXPECT_TRUE(view->isCommandEnabled(id::ID_EDIT_SELECT_ALL));
    EXPECT_FALSE(view->isCommandEnabled(id::ID_EDIT_REPEAT)) << "nothing searched yet";
    EXPECT_FALSE(view->isCommandEnabled(id::ID_EDIT_COPY));

    view->onCommand(id::ID_EDIT_SELECT_ALL);
    EXPECT_TRUE(view->isCommandEnabled(id::ID_EDIT_CUT));
    EXPECT_TRUE(view->isCommandEnabled(id::ID_EDIT_COPY));
    view->onCommand(id::ID_EDIT_CUT);
    EXPECT_TRUE(view->toPlainText().isEmpty());
    EXPECT_EQ(QApplication::clipboard()->text(), "abc abc");
    EXPECT_TRUE(view->isCommandEnabled(id::ID_EDIT_PASTE));
    view->onCommand(id::ID_EDIT_PASTE);
    view->onCommand(id::ID_EDIT_PASTE);
    EXPECT_EQ(view->toPlainText(), "abc abcabc abc");
    view->onCommand(id::ID_EDIT_UNDO);
    EXPECT_EQ(view->toPlainText(), "abc abc");

    CTabulonPlusView::sharedFindState().strFind = "abc";
    EXPECT_TRUE(view->isCommandEnabled(id::ID_EDIT_REPEAT));
}

TEST_F(View, DeliveryReplacesTheWholeText) {
    CTabulonPlusDoc* doc = formTemplate->openNewDocument();
    CTabulonPlusView* view = formTemplate->activeView();
    QTest::keyClicks(view, "typed");
    view->setFormText("\xCF\xF0\xE8\xE2\xE5\xF2\r\n2");
    EXPECT_EQ(view->toPlainText(), "Привет\n2");
    doc->SetModifiedFlag(true);
    EXPECT_TRUE(doc->IsModified());
}

struct FindCase {
    const char* name;
    const char* text;
    int cursor;  // where the search starts
    FindState state;
    int selStart;  // -1: nothing found
};

class Find : public ::testing::TestWithParam<FindCase> {};

TEST_P(Find, SelectsTheNextMatch) {
    QTextEdit edit;
    edit.setPlainText(GetParam().text);
    QTextCursor cursor = edit.textCursor();
    cursor.setPosition(GetParam().cursor);
    edit.setTextCursor(cursor);
    const bool found = TextSearch::findNext(&edit, GetParam().state);
    EXPECT_EQ(found, GetParam().selStart >= 0);
    if (found) {
        EXPECT_EQ(edit.textCursor().selectionStart(), GetParam().selStart);
        EXPECT_EQ(edit.textCursor().selectedText().size(), GetParam().state.strFind.size());
    } else {
        EXPECT_EQ(edit.textCursor().position(), GetParam().cursor) << "the selection stays";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Find,
    ::testing::Values(FindCase{"Forward", "ab ab ab", 1, search("ab"), 3},
                      FindCase{"WrapsRound", "ab ab xx", 5, search("ab"), 0},
                      FindCase{"Up", "ab ab ab", 5, search("ab", false), 3},
                      FindCase{"UpWraps", "ab ab ab", 1, search("ab", false), 6},
                      FindCase{"IgnoresCase", "x AB", 0, search("ab"), 2},
                      FindCase{"MatchCase", "Ab ab", 0, search("ab", true, true), 3},
                      FindCase{"WholeWord", "abc ab", 0, search("ab", true, false, true), 4},
                      FindCase{"NotThere", "abc", 1, search("zz"), -1},
                      FindCase{"EmptySearch", "abc", 1, search(""), -1}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Replace, ReplacesTheMatchThenFindsTheNext) {
    QTextEdit edit;
    edit.setPlainText("one two one two");
    FindState state = search("one");
    state.strReplace = "1";
    EXPECT_TRUE(TextSearch::replaceNext(&edit, state));  // nothing selected: only finds
    EXPECT_EQ(edit.toPlainText(), "one two one two");
    EXPECT_TRUE(TextSearch::replaceNext(&edit, state));
    EXPECT_EQ(edit.toPlainText(), "1 two one two");
    EXPECT_EQ(edit.textCursor().selectionStart(), 6);
}

TEST(Replace, ReplaceAllIsOneUndoStepAndDoesNotReplaceItsOwnText) {
    QTextEdit edit;
    edit.setPlainText("a-a-A");
    EXPECT_EQ(TextSearch::replaceAll(&edit, withReplacement("a", "aa")), 3);
    EXPECT_EQ(edit.toPlainText(), "aa-aa-aa");
    edit.undo();
    EXPECT_EQ(edit.toPlainText(), "a-a-A");
    EXPECT_EQ(TextSearch::replaceAll(&edit, withReplacement("q", "x")), 0);
}

// Ctrl+F opens our box with the selected word; its Find Next selects; F3 goes on.
TEST_F(View, FindBoxAndFindNext) {
    formTemplate->openNewDocument();
    CTabulonPlusView* view = formTemplate->activeView();
    CTabulonPlusView::sharedFindState() = {};
    view->setPlainText("alpha beta alpha beta");
    QTextCursor cursor = view->textCursor();
    cursor.setPosition(6);
    cursor.setPosition(10, QTextCursor::KeepAnchor);
    view->setTextCursor(cursor);

    ASSERT_TRUE(view->onCommand(id::ID_EDIT_FIND));
    CFindReplaceDialog* box = view->findReplaceDialog();
    ASSERT_NE(box, nullptr);
    EXPECT_FALSE(box->isReplace());
    EXPECT_EQ(box->findField()->text(), "beta");
    box->findNextButton()->click();
    EXPECT_EQ(view->textCursor().selectionStart(), 17);
    view->onCommand(id::ID_EDIT_REPEAT);
    EXPECT_EQ(view->textCursor().selectionStart(), 6) << "round to the start";

    view->onCommand(id::ID_EDIT_REPLACE);
    box = view->findReplaceDialog();
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(box->isReplace());
    box->replaceField()->setText("B");
    box->replaceAllButton()->click();
    EXPECT_EQ(view->toPlainText(), "alpha B alpha B");
}

// Each control of a find box answers its own letter with Alt.
TEST_F(View, NoTwoControlsOfAFindBoxShareALetter) {
    FindState state;
    for (bool replace : {false, true}) {
        SCOPED_TRACE(replace ? "replace" : "find");
        CFindReplaceDialog box(replace, state, nullptr);
        QStringList texts;
        for (const QLabel* label : box.findChildren<QLabel*>()) texts << label->text();
        for (const QAbstractButton* b : box.findChildren<QAbstractButton*>()) texts << b->text();
        for (const QGroupBox* group : box.findChildren<QGroupBox*>()) texts << group->title();
        EXPECT_GE(texts.filter("&").size(), replace ? 7 : 6);
        EXPECT_EQ(sharedMnemonics(texts).join('\n').toStdString(), "");
    }
}
