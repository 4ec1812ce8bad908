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

    bool isReplace() const { return m_replacing; }
    QLineEdit* findField() const { return m_findField; }
    QLineEdit* replaceField() const { return m_replaceField; }
    QPushButton* findNextButton() const { return m_findNext; }
    QPushButton* replaceButton() const { return m_replaceOne; }
    QPushButton* replaceAllButton() const { return m_replaceAll; }

signals:
    void findNextRequested();
    void replaceRequested();
    void replaceAllRequested();

private:
    void connectButtons(QPushButton* cancel);
    void storeFields();
    void updateButtons();

    bool m_replacing;
    FindState& m_state;
    QLineEdit* m_findField;
    QLineEdit* m_replaceField = nullptr;
    QCheckBox* m_wholeWord;
    QCheckBox* m_matchCase;
    QRadioButton* m_down = nullptr;
    QPushButton* m_findNext;
    QPushButton* m_replaceOne = nullptr;
    QPushButton* m_replaceAll = nullptr;
};
