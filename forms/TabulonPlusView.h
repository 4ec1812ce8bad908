#pragma once

#include <QByteArray>
#include <QMargins>
#include <QPointer>
#include <QTextEdit>
#include <memory>

#include "forms/FindReplaceDialog.h"
#include "forms/MemberCommand.h"
#include "forms/TextSearch.h"

class CTabulonPlusDoc;
struct ReceiveControl;

// The view of one form: its text in an 11-point fixed-pitch font, never wrapped on screen,
// printed inside half-inch margins. The view most recently initialised receives the next form.
class CTabulonPlusView : public QTextEdit {
    Q_OBJECT
public:
    CTabulonPlusView(CTabulonPlusDoc* doc, ReceiveControl* rc, QWidget* parent = nullptr);
    ~CTabulonPlusView() override;

    CTabulonPlusDoc* GetDocument() const { return m_pDoc; }

    // Announces the view as the receiver of the next form and sets margins, font and wrapping.
    void OnInitialUpdate();
    // A delivered form: its cp1251 text replaces the whole text of the view.
    void SetFormText(const QByteArray& cp1251);
    // The view no longer receives forms.
    void Deregister();

    // The commands the view carries out: printing, editing, searching.
    static std::span<const MemberCommand<CTabulonPlusView>> Commands();
    // Runs one of them when it is enabled; false when `id` is not the view's.
    bool OnCommand(unsigned id);
    bool IsCommandEnabled(unsigned id) const;

    // Page margins for printing and preview, in twips.
    QMargins PrintMargins() const { return m_rectMargin; }
    const QFont* ViewFont() const { return m_pFont.get(); }
    CFindReplaceDialog* FindReplaceDialog() const { return m_pFindDlg; }

    // The search shared by every view.
    static FindState& SharedFindState();

private:
    void CreateFormFont();
    // Print, print without asking (the command line's) and preview: one printer, one layout.
    enum class PrintWay { Dialog, Direct, Preview };
    void OnFilePrint(PrintWay way);
    void onFilePrint() { OnFilePrint(PrintWay::Dialog); }
    void onFilePrintDirect() { OnFilePrint(PrintWay::Direct); }
    void OnFilePrintPreview() { OnFilePrint(PrintWay::Preview); }
    void OnEditFindReplace(bool replace);
    void onEditFind() { OnEditFindReplace(false); }
    void onEditReplace() { OnEditFindReplace(true); }
    void OnEditRepeat();
    void FindNext();
    bool canUndo() const;
    bool hasSelection() const;
    bool hasText() const;
    bool canRepeat() const;

    CTabulonPlusDoc* m_pDoc;
    ReceiveControl* m_pControl;
    std::unique_ptr<QFont> m_pFont;
    QMargins m_rectMargin;
    QPointer<CFindReplaceDialog> m_pFindDlg;
};
