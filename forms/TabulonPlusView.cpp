#include "forms/TabulonPlusView.h"

#include <QApplication>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QTextDocument>

#include "acquisition/ReceiveControl.h"
#include "files/TextFileCodec.h"
#include "forms/FindReplaceDialog.h"
#include "forms/FormFont.h"
#include "forms/FormPrinter.h"
#include "forms/TabulonPlusDoc.h"
#include "res/CommandIds.h"
#include "res/MessageBox.h"
#include "res/Strings.h"

namespace {

constexpr int kHalfInchTwips = 720;

QMarginsF pointsOf(const QMargins& twips) {
    return QMarginsF(twips.left(), twips.top(), twips.right(), twips.bottom()) / 20.0;
}

}  // namespace

CTabulonPlusView::CTabulonPlusView(CTabulonPlusDoc* doc, ReceiveControl* rc, QWidget* parent)
    : QTextEdit(parent), m_doc(doc), m_control(rc) {
    setLineWrapMode(QTextEdit::NoWrap);
    // The form's document first: a font set before would go to the view's own document, which
    // this one replaces.
    setDocument(doc->getTextDocument());
    createFormFont();
}

CTabulonPlusView::~CTabulonPlusView() {
    deregister();
}

FindState& CTabulonPlusView::sharedFindState() {
    static FindState state;
    return state;
}

void CTabulonPlusView::OnInitialUpdate() {
    m_control->m_pView = this;
    m_rectMargin = QMargins(kHalfInchTwips, kHalfInchTwips, kHalfInchTwips, kHalfInchTwips);
    createFormFont();
    setLineWrapMode(QTextEdit::NoWrap);
}

// Made once per view; the constructor already makes it, because every change of font or
// wrapping lays the whole text out again, and an opened form has its text before the initial
// update. The text is laid out in the document's font, which the widget's font does not reach
// once the document is replaced, so the document gets it too.
void CTabulonPlusView::createFormFont() {
    if (!m_pFont) {
        m_pFont = std::make_unique<QFont>(formFont());
        setFont(*m_pFont);
    }
    if (document()->defaultFont() != *m_pFont) document()->setDefaultFont(*m_pFont);
}

void CTabulonPlusView::setFormText(const QByteArray& cp1251) {
    setPlainText(TextFileCodec::decode(cp1251));
}

void CTabulonPlusView::deregister() {
    if (m_control->m_pView == this) m_control->m_pView = nullptr;
}

std::span<const MemberCommand<CTabulonPlusView>> CTabulonPlusView::commands() {
    using V = CTabulonPlusView;
    static const MemberCommand<V> commands[] = {
        {id::ID_FILE_PRINT, &V::onFilePrint},
        {id::ID_FILE_PRINT_DIRECT, &V::onFilePrintDirect},
        {id::ID_FILE_PRINT_PREVIEW, &V::OnFilePrintPreview},
        {id::ID_EDIT_UNDO, &QTextEdit::undo, &V::canUndo},
        {id::ID_EDIT_CUT, &QTextEdit::cut, &V::hasSelection},
        {id::ID_EDIT_COPY, &QTextEdit::copy, &V::hasSelection},
        {id::ID_EDIT_PASTE, &QTextEdit::paste, &QTextEdit::canPaste},
        {id::ID_EDIT_SELECT_ALL, &QTextEdit::selectAll, &V::hasText},
        {id::ID_EDIT_FIND, &V::onEditFind, &V::hasText},
        {id::ID_EDIT_REPLACE, &V::onEditReplace, &V::hasText},
        {id::ID_EDIT_REPEAT, &V::onEditRepeat, &V::canRepeat},
    };
    return commands;
}

bool CTabulonPlusView::isCommandEnabled(unsigned id) const {
    const MemberCommand<CTabulonPlusView>* command = findMemberCommand(commands(), id);
    return command && isMemberCommandEnabled(*this, *command);
}

bool CTabulonPlusView::onCommand(unsigned id) {
    const MemberCommand<CTabulonPlusView>* command = findMemberCommand(commands(), id);
    if (!command) return false;
    if (isMemberCommandEnabled(*this, *command)) (this->*command->run)();
    return true;
}

bool CTabulonPlusView::canUndo() const {
    return document()->isUndoAvailable();
}

bool CTabulonPlusView::hasSelection() const {
    return textCursor().hasSelection();
}

bool CTabulonPlusView::hasText() const {
    return !document()->isEmpty();
}

bool CTabulonPlusView::canRepeat() const {
    return hasText() && !sharedFindState().strFind.isEmpty();
}

void CTabulonPlusView::OnFilePrint(PrintWay way) {
    QPrinter& printer = tabulonPrinter();
    const auto print = [this](QPrinter& on) {
        return printFormDocument(*document(), on, pointsOf(m_rectMargin));
    };
    if (way == PrintWay::Preview) {
        QPrintPreviewDialog preview(&printer, window());
        connect(&preview, &QPrintPreviewDialog::paintRequested, this,
                [&print](QPrinter* on) { print(*on); });
        preview.exec();
        return;
    }
    if (way == PrintWay::Dialog) {
        QPrintDialog dialog(&printer, this);
        if (dialog.exec() != QDialog::Accepted) return;
    }
    if (print(printer) == 0)
        tabulonMessageBox(res::loadString(id::AFX_IDP_FAILED_TO_START_PRINT), msg::MB_OK);
}

// The box starts with the selected text when it is a part of one line, else the last search.
void CTabulonPlusView::onEditFindReplace(bool replace) {
    FindState& state = sharedFindState();
    const QString selected = textCursor().selectedText();
    if (!selected.isEmpty() && !selected.contains(QChar::ParagraphSeparator))
        state.strFind = selected;
    if (m_findDialog && m_findDialog->isReplace() != replace) {
        m_findDialog->close();
        m_findDialog = nullptr;
    }
    if (!m_findDialog) {
        m_findDialog = new CFindReplaceDialog(replace, state, this);
        m_findDialog->setAttribute(Qt::WA_DeleteOnClose);
        connect(m_findDialog, &CFindReplaceDialog::findNextRequested, this,
                &CTabulonPlusView::findNext);
        connect(m_findDialog, &CFindReplaceDialog::replaceRequested, this, [this] {
            if (!TextSearch::replaceNext(this, sharedFindState())) QApplication::beep();
        });
        connect(m_findDialog, &CFindReplaceDialog::replaceAllRequested, this, [this] {
            if (TextSearch::replaceAll(this, sharedFindState()) == 0) QApplication::beep();
        });
    }
    m_findDialog->show();
    m_findDialog->raise();
    m_findDialog->activateWindow();
}

void CTabulonPlusView::onEditRepeat() {
    findNext();
}

void CTabulonPlusView::findNext() {
    if (!TextSearch::findNext(this, sharedFindState())) QApplication::beep();
}
