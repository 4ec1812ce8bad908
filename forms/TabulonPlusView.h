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

    CTabulonPlusDoc* getDocument() const { return m_doc; }

    // Announces the view as the receiver of the next form and sets margins, font and wrapping.
    void OnInitialUpdate();
    // A delivered form: its cp1251 text replaces the whole text of the view.
    void setFormText(const QByteArray& cp1251);
    // The view no longer receives forms.
    void deregister();

    // The commands the view carries out: printing, editing, searching.
    static std::span<const MemberCommand<CTabulonPlusView>> commands();
    // Runs one of them when it is enabled; false when `id` is not the view's.
    bool onCommand(unsigned id);
    bool isCommandEnabled(unsigned id) const;

    // Page margins for printing and preview, in twips.
    QMargins printMargins() const { return m_rectMargin; }
    const QFont* viewFont() const { return m_pFont.get(); }
    CFindReplaceDialog* findReplaceDialog() const { return m_findDialog; }

    // The search shared by every view.
    static FindState& sharedFindState();

private:
    void createFormFont();
    // Print, print without asking (the command line's) and preview: one printer, one layout.
    enum class PrintWay { Dialog, Direct, Preview };
    void OnFilePrint(PrintWay way);
    void onFilePrint() { OnFilePrint(PrintWay::Dialog); }
    void onFilePrintDirect() { OnFilePrint(PrintWay::Direct); }
    void OnFilePrintPreview() { OnFilePrint(PrintWay::Preview); }
    void onEditFindReplace(bool replace);
    void onEditFind() { onEditFindReplace(false); }
    void onEditReplace() { onEditFindReplace(true); }
    void onEditRepeat();
    void findNext();
    bool canUndo() const;
    bool hasSelection() const;
    bool hasText() const;
    bool canRepeat() const;

    CTabulonPlusDoc* m_doc;
    ReceiveControl* m_control;
    std::unique_ptr<QFont> m_pFont;
    QMargins m_rectMargin;
    QPointer<CFindReplaceDialog> m_findDialog;
};
