#include "TabulonPlusView.h"

#include <QApplication>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QTextDocument>

#include "FindReplaceDialog.h"
#include "FormFont.h"
#include "FormPrinter.h"
#include "TabulonPlusDoc.h"
#include "TextFileCodec.h"
#include "acquisition/ReceiveControl.h"
#include "res/CommandIds.h"
#include "res/MessageBox.h"

namespace {

constexpr int kHalfInchTwips = 720;

QMarginsF pointsOf(const QMargins& twips) {
    return QMarginsF(twips.left(), twips.top(), twips.right(), twips.bottom()) / 20.0;
}

}  // namespace

CTabulonPlusView::CTabulonPlusView(CTabulonPlusDoc* doc, ReceiveControl* rc, QWidget* parent)
    : QTextEdit(parent), m_pDoc(doc), m_pControl(rc) {
    setLineWrapMode(QTextEdit::NoWrap);
    // The form's document first: a font set before would go to the view's own document, which
    // this one replaces.
    setDocument(doc->GetTextDocument());
    CreateFormFont();
}

CTabulonPlusView::~CTabulonPlusView() {
    Deregister();
}

FindState& CTabulonPlusView::SharedFindState() {
    static FindState state;
    return state;
}

void CTabulonPlusView::OnInitialUpdate() {
    m_pControl->m_pView = this;
    m_rectMargin = QMargins(kHalfInchTwips, kHalfInchTwips, kHalfInchTwips, kHalfInchTwips);
    CreateFormFont();
    setLineWrapMode(QTextEdit::NoWrap);
}

// Made once per view; the constructor already makes it, because every change of font or
// wrapping lays the whole text out again, and an opened form has its text before the initial
// update. The text is laid out in the document's font, which the widget's font does not reach
// once the document is replaced, so the document gets it too.
void CTabulonPlusView::CreateFormFont() {
    if (!m_pFont) {
        m_pFont = std::make_unique<QFont>(FormFont());
        setFont(*m_pFont);
    }
    if (document()->defaultFont() != *m_pFont) document()->setDefaultFont(*m_pFont);
}

void CTabulonPlusView::SetFormText(const QByteArray& cp1251) {
    setPlainText(TextFileCodec::Decode(cp1251));
}

void CTabulonPlusView::Deregister() {
    if (m_pControl->m_pView == this) m_pControl->m_pView = nullptr;
}

bool CTabulonPlusView::IsCommandEnabled(unsigned id) const {
    const bool hasText = !document()->isEmpty();
    switch (id) {
        case id::ID_FILE_PRINT:
        case id::ID_FILE_PRINT_DIRECT:
        case id::ID_FILE_PRINT_PREVIEW:
            return true;
        case id::ID_EDIT_UNDO:
            return document()->isUndoAvailable();
        case id::ID_EDIT_CUT:
        case id::ID_EDIT_COPY:
            return textCursor().hasSelection();
        case id::ID_EDIT_PASTE:
            return canPaste();
        case id::ID_EDIT_SELECT_ALL:
        case id::ID_EDIT_FIND:
        case id::ID_EDIT_REPLACE:
            return hasText;
        case id::ID_EDIT_REPEAT:
            return hasText && !SharedFindState().strFind.isEmpty();
        default:
            return false;
    }
}

bool CTabulonPlusView::OnCommand(unsigned id) {
    switch (id) {
        case id::ID_FILE_PRINT:
            OnFilePrint(true);
            break;
        case id::ID_FILE_PRINT_DIRECT:
            OnFilePrint(false);
            break;
        case id::ID_FILE_PRINT_PREVIEW:
            OnFilePrintPreview();
            break;
        case id::ID_EDIT_UNDO:
            undo();
            break;
        case id::ID_EDIT_CUT:
            cut();
            break;
        case id::ID_EDIT_COPY:
            copy();
            break;
        case id::ID_EDIT_PASTE:
            paste();
            break;
        case id::ID_EDIT_SELECT_ALL:
            selectAll();
            break;
        case id::ID_EDIT_FIND:
            if (IsCommandEnabled(id)) OnEditFindReplace(false);
            break;
        case id::ID_EDIT_REPLACE:
            if (IsCommandEnabled(id)) OnEditFindReplace(true);
            break;
        case id::ID_EDIT_REPEAT:
            if (IsCommandEnabled(id)) OnEditRepeat();
            break;
        default:
            return false;
    }
    return true;
}

void CTabulonPlusView::OnFilePrint(bool withDialog) {
    QPrinter& printer = TabulonPrinter();
    if (withDialog) {
        QPrintDialog dialog(&printer, this);
        if (dialog.exec() != QDialog::Accepted) return;
    }
    if (PrintFormDocument(*document(), printer, pointsOf(m_rectMargin)) == 0)
        TabulonMessageBox(QStringLiteral("Could not start print job."), msg::MB_OK);
}

void CTabulonPlusView::OnFilePrintPreview() {
    QPrintPreviewDialog preview(&TabulonPrinter(), window());
    connect(&preview, &QPrintPreviewDialog::paintRequested, this, [this](QPrinter* printer) {
        PrintFormDocument(*document(), *printer, pointsOf(m_rectMargin));
    });
    preview.exec();
}

// The box starts with the selected text when it is a part of one line, else the last search.
void CTabulonPlusView::OnEditFindReplace(bool replace) {
    FindState& state = SharedFindState();
    const QString selected = textCursor().selectedText();
    if (!selected.isEmpty() && !selected.contains(QChar::ParagraphSeparator))
        state.strFind = selected;
    if (m_pFindDlg && m_pFindDlg->IsReplace() != replace) {
        m_pFindDlg->close();
        m_pFindDlg = nullptr;
    }
    if (!m_pFindDlg) {
        m_pFindDlg = new CFindReplaceDialog(replace, state, this);
        m_pFindDlg->setAttribute(Qt::WA_DeleteOnClose);
        connect(m_pFindDlg, &CFindReplaceDialog::FindNextRequested, this,
                &CTabulonPlusView::FindNext);
        connect(m_pFindDlg, &CFindReplaceDialog::ReplaceRequested, this, [this] {
            if (!TextSearch::ReplaceNext(this, SharedFindState())) QApplication::beep();
        });
        connect(m_pFindDlg, &CFindReplaceDialog::ReplaceAllRequested, this, [this] {
            if (TextSearch::ReplaceAll(this, SharedFindState()) == 0) QApplication::beep();
        });
    }
    m_pFindDlg->show();
    m_pFindDlg->raise();
    m_pFindDlg->activateWindow();
}

void CTabulonPlusView::OnEditRepeat() {
    FindNext();
}

void CTabulonPlusView::FindNext() {
    if (!TextSearch::FindNext(this, SharedFindState())) QApplication::beep();
}
