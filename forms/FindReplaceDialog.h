#pragma once

#include <QDialog>

#include "forms/TextSearch.h"

class QCheckBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

// The small Find and Replace boxes of a view. Modeless: the operator keeps working in the form
// while the box is open. Every button first copies the fields into the shared search.
class CFindReplaceDialog : public QDialog {
    Q_OBJECT
public:
    CFindReplaceDialog(bool replace, FindState& state, QWidget* parent);

    bool isReplace() const { return m_bReplace; }
    QLineEdit* findField() const { return m_pFind; }
    QLineEdit* replaceField() const { return m_pReplace; }
    QPushButton* findNextButton() const { return m_pFindNext; }
    QPushButton* replaceButton() const { return m_pReplaceOne; }
    QPushButton* replaceAllButton() const { return m_pReplaceAll; }

signals:
    void findNextRequested();
    void replaceRequested();
    void replaceAllRequested();

private:
    void connectButtons(QPushButton* cancel);
    void storeFields();
    void updateButtons();

    bool m_bReplace;
    FindState& m_state;
    QLineEdit* m_pFind;
    QLineEdit* m_pReplace = nullptr;
    QCheckBox* m_pWholeWord;
    QCheckBox* m_pMatchCase;
    QRadioButton* m_pDown = nullptr;
    QPushButton* m_pFindNext;
    QPushButton* m_pReplaceOne = nullptr;
    QPushButton* m_pReplaceAll = nullptr;
};
