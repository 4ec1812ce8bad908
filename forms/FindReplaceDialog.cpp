#include "forms/FindReplaceDialog.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "res/Texts.h"
#include "ui_FindReplaceDialog.h"

CFindReplaceDialog::CFindReplaceDialog(bool replace, FindState& state, QWidget* parent)
    : QDialog(parent), m_bReplace(replace), m_state(state) {
    // A dialog of its own rather than a tool window: Qt lends a tool window's keys to the window
    // under it, whose menu bar would then take Alt+В ("&Вид") from "Заменить &все".
    Ui::FindReplaceDialog ui;
    ui.setupUi(this);
    // One layout holds both boxes; each drops what belongs to the other only.
    if (replace) {
        setWindowTitle(texts::kReplaceBoxTitle);
        delete ui.direction;
        m_pReplace = ui.replaceField;
        m_pReplaceOne = ui.replaceOne;
        m_pReplaceAll = ui.replaceAll;
        m_pReplace->setText(state.strReplace);
    } else {
        ui.fields->removeRow(ui.replaceField);
        delete ui.replaceOne;
        delete ui.replaceAll;
        m_pDown = ui.down;
        (state.bDown ? ui.down : ui.up)->setChecked(true);
    }
    m_pFind = ui.findField;
    m_pFind->setText(state.strFind);
    m_pWholeWord = ui.wholeWord;
    m_pWholeWord->setChecked(state.bWholeWord);
    m_pMatchCase = ui.matchCase;
    m_pMatchCase->setChecked(state.bMatchCase);
    m_pFindNext = ui.findNext;
    connectButtons(ui.cancel);
    updateButtons();
}

void CFindReplaceDialog::connectButtons(QPushButton* cancel) {
    connect(m_pFindNext, &QPushButton::clicked, this, [this] {
        storeFields();
        emit findNextRequested();
    });
    if (m_bReplace) {
        connect(m_pReplaceOne, &QPushButton::clicked, this, [this] {
            storeFields();
            emit replaceRequested();
        });
        connect(m_pReplaceAll, &QPushButton::clicked, this, [this] {
            storeFields();
            emit replaceAllRequested();
        });
    }
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_pFind, &QLineEdit::textChanged, this, &CFindReplaceDialog::updateButtons);
}

void CFindReplaceDialog::storeFields() {
    m_state.strFind = m_pFind->text();
    if (m_pReplace) m_state.strReplace = m_pReplace->text();
    m_state.bWholeWord = m_pWholeWord->isChecked();
    m_state.bMatchCase = m_pMatchCase->isChecked();
    // Replace always searches down.
    m_state.bDown = m_pDown ? m_pDown->isChecked() : true;
}

void CFindReplaceDialog::updateButtons() {
    const bool any = !m_pFind->text().isEmpty();
    m_pFindNext->setEnabled(any);
    if (m_pReplaceOne) m_pReplaceOne->setEnabled(any);
    if (m_pReplaceAll) m_pReplaceAll->setEnabled(any);
}
