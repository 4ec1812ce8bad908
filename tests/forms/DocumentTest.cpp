#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QTest>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextImageFormat>
#include <csignal>
#include <random>

#include "forms/ChildFrame.h"
#include "forms/TabulonPlusDoc.h"
#include "forms/TabulonPlusView.h"
#include "res/CommandIds.h"
#include "tests/fakes/ScratchMounts.h"
#include "tests/fakes/TestFiles.h"
#include "tests/files/FifoReleaser.h"
#include "tests/forms/FormsFixture.h"

namespace {

// A form as the worker hands it over: cp1251 Cyrillic, box-drawing bytes the conversion left,
// a form feed, CR LF lines.
QByteArray receivedForm() {
    QByteArray form(
        "\xCE\xF2\xF7\xE5\xF2 \xE7\xE0 \xF1\xF3\xF2\xEA\xE8  \xB9"
        "17\r\n");
    form += "+------+------+\r\n\xA6 t1   \xA6 \x98\xA0  \xA6\r\n";
    form += "\xC2\xF0\xE5\xEC\xFF: 12:00\x0C\r\n\xAB\xBB\x85\r\n";
    return form;
}

}  // namespace

using Document = FormsFixture;

TEST_F(Document, ReceivedFormSavedAndReopenedIsTheSameBytes) {
    CTabulonPlusDoc* doc = formTemplate->openNewDocument();
    CTabulonPlusView* view = formTemplate->activeView();
    view->setFormText(receivedForm());
    doc->SetModifiedFlag(true);
    ASSERT_TRUE(doc->onSaveDocument(path("form")));
    EXPECT_EQ(readAll(path("form")), receivedForm());

    CTabulonPlusDoc* again = formTemplate->openDocumentFile(path("form"));
    ASSERT_NE(again, nullptr);
    ASSERT_NE(again, doc) << "the first form was never saved under this name";
    EXPECT_EQ(again->getTextDocument()->toRawText(), doc->getTextDocument()->toRawText());
    ASSERT_TRUE(again->onSaveDocument(path("copy")));
    EXPECT_EQ(readAll(path("copy")), receivedForm());
    EXPECT_TRUE(boxes.empty());
}

// Files of random bytes, lines ending CR LF: open and save gives back the file exactly.
TEST_F(Document, RandomFilesOpenAndSaveByteForByte) {
    std::mt19937 random(4);
    for (int round = 0; round < 40; ++round) {
        QByteArray bytes;
        const int length = std::uniform_int_distribution<int>(0, 3000)(random);
        while (bytes.size() < length) {
            const int b = std::uniform_int_distribution<int>(0, 270)(random);
            if (b >= 256)
                bytes.append("\r\n");
            else if (b != 0 && b != '\r' && b != '\n')
                bytes.append(static_cast<char>(b));
        }
        ASSERT_TRUE(writeAll(path("in"), bytes));
        CTabulonPlusDoc doc;
        ASSERT_TRUE(doc.onOpenDocument(path("in")));
        ASSERT_TRUE(doc.onSaveDocument(path("out")));
        ASSERT_EQ(readAll(path("out")), bytes) << "round " << round;
    }
    EXPECT_TRUE(boxes.empty());
}

TEST_F(Document, ModifiedFlagThroughNewOpenEditDeliveryAndSave) {
    ASSERT_TRUE(writeAll(path("saved"), "abc\r\n"));
    CTabulonPlusDoc* doc = formTemplate->openNewDocument();
    CChildFrame* frame = formTemplate->activeFrame();
    EXPECT_FALSE(doc->IsModified());
    EXPECT_EQ(frame->windowTitle(), "Безымянный1[*]");
    EXPECT_FALSE(frame->isWindowModified());

    QTest::keyClicks(formTemplate->activeView(), "x");
    EXPECT_TRUE(doc->IsModified());
    EXPECT_TRUE(frame->isWindowModified()) << "the title shows the mark";

    chosenPath = path("first");
    ASSERT_TRUE(doc->onCommand(id::ID_FILE_SAVE));
    EXPECT_FALSE(doc->IsModified());
    EXPECT_FALSE(frame->isWindowModified());
    EXPECT_EQ(doc->getTitle(), "first");
    EXPECT_EQ(dialogs.size(), 1u) << "Save of a form without a file asks for a name";

    formTemplate->activeView()->setFormText("form");
    doc->SetModifiedFlag(true);
    EXPECT_TRUE(doc->IsModified());
    ASSERT_TRUE(doc->onCommand(id::ID_FILE_SAVE));
    EXPECT_EQ(dialogs.size(), 1u) << "Save of a form with a file asks nothing";
    EXPECT_EQ(readAll(path("first")), "form");

    CTabulonPlusDoc* opened = formTemplate->openDocumentFile(path("saved"));
    ASSERT_NE(opened, nullptr);
    EXPECT_FALSE(opened->IsModified());
    EXPECT_EQ(formTemplate->activeFrame()->windowTitle(), "saved[*]");
}

TEST_F(Document, EmptyAndRtfFilesOpenAsTheirText) {
    ASSERT_TRUE(writeAll(path("empty"), ""));
    CTabulonPlusDoc* empty = formTemplate->openDocumentFile(path("empty"));
    ASSERT_NE(empty, nullptr);
    EXPECT_TRUE(empty->getTextDocument()->isEmpty());
    EXPECT_FALSE(empty->IsModified());

    const QByteArray rtf = "{\\rtf1\\ansi {\\b bold} text}\r\n";
    ASSERT_TRUE(writeAll(path("rtf"), rtf));
    CTabulonPlusDoc* doc = formTemplate->openDocumentFile(path("rtf"));
    ASSERT_NE(doc, nullptr);
    EXPECT_EQ(doc->getTextDocument()->toPlainText(), "{\\rtf1\\ansi {\\b bold} text}\n");
    ASSERT_TRUE(doc->onSaveDocument(path("rtf")));
    EXPECT_EQ(readAll(path("rtf")), rtf);
}

TEST_F(Document, FormattingAndPicturesAreLostOnSaving) {
    CTabulonPlusDoc* doc = formTemplate->openNewDocument();
    formTemplate->activeView()->insertHtml("<b>Жирный</b> <span style='color:red'>красный</span>");
    QTextCursor cursor(doc->getTextDocument());
    cursor.movePosition(QTextCursor::End);
    QTextImageFormat picture;
    picture.setName("picture.png");
    cursor.insertImage(picture);
    cursor.insertText("!");
    ASSERT_TRUE(doc->onSaveDocument(path("plain")));
    EXPECT_EQ(readAll(path("plain")),
              QByteArray("\xC6\xE8\xF0\xED\xFB\xE9 \xEA\xF0\xE0\xF1\xED\xFB\xE9!"));
    EXPECT_TRUE(boxes.empty());
}

TEST_F(Document, SavingAddsNoExtension) {
    CTabulonPlusDoc* doc = formTemplate->openNewDocument();
    chosenPath = path("Безымянный1");
    ASSERT_TRUE(doc->onCommand(id::ID_FILE_SAVE_AS));
    ASSERT_EQ(dialogs.size(), 1u);
    EXPECT_EQ(dialogs[0].second, "Безымянный1") << "the title is proposed";
    EXPECT_TRUE(QFile::exists(path("Безымянный1")));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"Безымянный1"});
}

struct ProposedCase {
    const char* title;
    const char* proposed;
};

class ProposedName : public ::testing::TestWithParam<ProposedCase> {};

TEST_P(ProposedName, IsTheTitleCutBeforeTheFirstForbiddenCharacter) {
    CTabulonPlusDoc doc;
    doc.setTitle(QString::fromUtf8(GetParam().title));
    EXPECT_EQ(doc.proposedFileName(), QString::fromUtf8(GetParam().proposed));
}

INSTANTIATE_TEST_SUITE_P(Cases, ProposedName,
                         ::testing::Values(ProposedCase{"Безымянный12", "Безымянный12"},
                                           ProposedCase{"two words", "two"},
                                           ProposedCase{"a#b", "a"}, ProposedCase{"a%b", "a"},
                                           ProposedCase{"a;b c", "a"}, ProposedCase{"a/b", "a"},
                                           ProposedCase{"a\\b", "a"}, ProposedCase{" x", ""}));

TEST_F(Document, OpenFailuresAreReportedAndLeaveNoForm) {
    formTemplate->openNewDocument();
    QObject* receiving = rc.m_pReceivingFrame;
    EXPECT_EQ(formTemplate->openDocumentFile(path("missing")), nullptr);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, path("missing") + " was not found.");
    EXPECT_EQ(boxes[0].style, msg::MB_OK | msg::MB_ICONEXCLAMATION);
    EXPECT_EQ(formTemplate->documents().size(), 1);
    EXPECT_EQ(rc.m_pReceivingFrame, receiving) << "the window that received before receives again";

    EXPECT_EQ(formTemplate->openDocumentFile(dir.path()), nullptr);
    EXPECT_EQ(boxes.back().text, "Access to " + dir.path() + " was denied.");

    // One character past what a view holds.
    ASSERT_TRUE(writeAll(path("huge"), QByteArray(CTabulonPlusDoc::kMaxFormChars + 1, 'a')));
    EXPECT_EQ(formTemplate->openDocumentFile(path("huge")), nullptr);
    EXPECT_EQ(boxes.back().text, "The file is too large to open.");
    EXPECT_EQ(formTemplate->documents().size(), 1);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(area->subWindowList().size(), 1);
}

// Only regular files open: a pipe would block the program in its open for good, a device
// would be read without end, and a file too large for any form is refused before it is read.
TEST_F(Document, OnlyRegularFilesThatCanFitAreOpened) {
    formTemplate->openNewDocument();
    const QString fifo = path("pipe");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    // Larger than a form written with a CR LF after every character; sparse, so cheap to make
    // but all zeros, which would read as an empty form.
    QFile sparse(path("sparse"));
    ASSERT_TRUE(sparse.open(QIODevice::WriteOnly));
    ASSERT_TRUE(sparse.resize(2 * CTabulonPlusDoc::kMaxFormChars + 1));
    sparse.close();
    const QString notRegular = "%1 не является обычным файлом и не может быть открыт.";
    const std::vector<std::pair<QString, QString>> cases = {
        {fifo, notRegular.arg(fifo)},
        {"/dev/zero", notRegular.arg("/dev/zero")},
        {path("sparse"), "The file is too large to open."},
    };
    FifoReleaser releaser(QFile::encodeName(fifo));
    for (const auto& [file, message] : cases) {
        SCOPED_TRACE(file.toStdString());
        boxes.clear();
        EXPECT_EQ(formTemplate->openDocumentFile(file), nullptr);
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].text, message);
    }
    EXPECT_FALSE(releaser.released()) << "the pipe was opened";
    EXPECT_EQ(formTemplate->documents().size(), 1);
}

TEST_F(Document, SaveIntoAMissingFolderIsReportedAndKeepsTheFormModified) {
    CTabulonPlusDoc* doc = formTemplate->openNewDocument();
    QTest::keyClicks(formTemplate->activeView(), "text");
    chosenPath = path("no/such/form");
    EXPECT_FALSE(doc->doSave({}));
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, chosenPath + " contains an invalid path.");
    EXPECT_TRUE(doc->IsModified());
    EXPECT_EQ(doc->getTitle(), "Безымянный1");
}

// A write that fails half way (here: the file-size limit, as a full disk would) leaves the old
// file whole and the form modified.
// Small forms matter most: their bytes wait in the file's buffer until it is committed.
class FailedWrite : public FormsFixture, public testing::WithParamInterface<int> {};

TEST_P(FailedWrite, LeavesTheOldFileWhole) {
    ASSERT_TRUE(writeAll(path("old"), "old contents\r\n"));
    CTabulonPlusDoc* doc = formTemplate->openDocumentFile(path("old"));
    ASSERT_NE(doc, nullptr);
    formTemplate->activeView()->setPlainText(QString(GetParam(), QChar('z')));
    doc->SetModifiedFlag(true);

    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    auto previous = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = GetParam() / 2;
    setrlimit(RLIMIT_FSIZE, &small);
    const bool ok = doc->onCommand(id::ID_FILE_SAVE) && !doc->IsModified();
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);

    EXPECT_FALSE(ok);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Failed to save document.");
    EXPECT_TRUE(doc->IsModified());
    EXPECT_EQ(readAll(path("old")), "old contents\r\n");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"old"}) << "no temporary left";
}
INSTANTIATE_TEST_SUITE_P(Document, FailedWrite, testing::Values(1'000, 200'000));

// A folder that takes no new file (a shared folder) with a form the operator may write: the
// form is saved in place, and a write that fails there is still reported.
struct InPlaceCase {
    const char* title;
    int chars;
    rlim_t sizeLimit;  // as a full disk would stop the write; 0: none
    bool saved;
};

class ReadOnlyFolder : public FormsFixture, public testing::WithParamInterface<InPlaceCase> {};

TEST_P(ReadOnlyFolder, SavesAWritableFormInPlace) {
    const InPlaceCase& c = GetParam();
    ScratchMounts mounts;
    const QString folder = path("shared"), form = path("shared/form"), source = path("form");
    ASSERT_TRUE(QDir().mkpath(folder));
    ASSERT_TRUE(writeAll(source, "old contents\r\n"));
    ASSERT_TRUE(writeAll(form, {}));
    if (!mounts.bind(folder, folder, true) || !mounts.bind(source, form, false))
        GTEST_SKIP() << "cannot mount here (needs CAP_SYS_ADMIN)";
    CTabulonPlusDoc* doc = formTemplate->openDocumentFile(form);
    ASSERT_NE(doc, nullptr);
    formTemplate->activeView()->setPlainText(QString(c.chars, QChar('z')));
    doc->SetModifiedFlag(true);

    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    auto previous = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    if (c.sizeLimit) small.rlim_cur = c.sizeLimit;
    setrlimit(RLIMIT_FSIZE, &small);
    const bool ok = doc->onCommand(id::ID_FILE_SAVE) && !doc->IsModified();
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);

    EXPECT_EQ(ok, c.saved);
    EXPECT_EQ(doc->IsModified(), !c.saved);
    if (c.saved) {
        EXPECT_TRUE(boxes.empty());
        EXPECT_EQ(readAll(form), QByteArray(c.chars, 'z'));
    } else {
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].text, "Failed to save document.");
    }
}
INSTANTIATE_TEST_SUITE_P(Document, ReadOnlyFolder,
                         testing::Values(InPlaceCase{"saved", 1'000, 0, true},
                                         InPlaceCase{"full_disk", 200'000, 100'000, false}),
                         [](const auto& info) { return std::string(info.param.title); });

// Characters cp1251 has no byte for are written as "?" only when the operator agrees.
TEST_F(Document, UnrepresentableCharactersAskBeforeBeingReplaced) {
    CTabulonPlusDoc* doc = formTemplate->openNewDocument();
    formTemplate->activeView()->setPlainText(QString::fromUtf8("ok\nзнак 中 и Ā"));
    doc->SetModifiedFlag(true);
    answerer.answerInOrder({msg::IDNO});
    EXPECT_FALSE(doc->onSaveDocument(path("f")));
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_TRUE(boxes[0].text.contains("«中» (U+4e2d) в строке 2")) << boxes[0].text.toStdString();
    EXPECT_EQ(boxes[0].style, msg::MB_YESNO | msg::MB_ICONQUESTION);
    EXPECT_FALSE(QFile::exists(path("f")));
    EXPECT_TRUE(doc->IsModified());

    answerer.answerInOrder({msg::IDYES});
    EXPECT_TRUE(doc->onSaveDocument(path("f")));
    EXPECT_EQ(readAll(path("f")), "ok\r\n\xE7\xED\xE0\xEA ? \xE8 ?");
    EXPECT_FALSE(doc->IsModified());
}

TEST_F(Document, SaveQuestionsThreeAnswers) {
    CTabulonPlusDoc* doc = formTemplate->openNewDocument();
    formTemplate->activeView()->setFormText("data");
    doc->SetModifiedFlag(true);

    answerer.answerInOrder({msg::IDCANCEL});
    EXPECT_FALSE(doc->saveModified());
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Save changes to Безымянный1?");
    EXPECT_EQ(boxes[0].style, msg::MB_YESNOCANCEL);
    EXPECT_TRUE(doc->IsModified());

    answerer.answerInOrder({msg::IDNO});
    EXPECT_TRUE(doc->saveModified());
    EXPECT_TRUE(dialogs.empty());

    answerer.answerInOrder({msg::IDYES});
    chosenPath = {};  // the Save As dialog cancelled: the close is cancelled too
    EXPECT_FALSE(doc->saveModified());
    chosenPath = path("yes");
    answerer.answerInOrder({msg::IDYES});
    EXPECT_TRUE(doc->saveModified());
    EXPECT_EQ(readAll(path("yes")), "data");
    EXPECT_FALSE(doc->IsModified());

    answerer.answerInOrder({msg::IDCANCEL});
    doc->SetModifiedFlag(true);
    EXPECT_FALSE(doc->saveModified());
    EXPECT_EQ(boxes.back().text, "Save changes to yes?") << "a saved form is named by its file";
}
