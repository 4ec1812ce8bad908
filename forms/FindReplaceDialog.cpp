#include "forms/FindReplaceDialog.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "res/Texts.h"
#include "ui_FindReplaceDialog.h"

CFindReplaceDialog::CFindReplaceDialog(bool replace, FindState& state, QWidget* parent)
    : QDialog(parent), m_replacing(replace), m_state(state) {
    // A dialog of its own rather than a tool window: Qt lends a tool window's keys to the window
    // under it, whose menu bar would then take Alt+В ("&Вид") from "Заменить &все".
    Ui::FindReplaceDialog ui;
    ui.setupUi(this);
    // One layout holds both boxes; each drops what belongs to the other only.
    if (replace) {
        setWindowTitle(texts::kReplaceBoxTitle);
        delete ui.direction;
        m_replaceField = ui.replaceField;
        m_replaceOne = ui.replaceOne;
        m_replaceAll = ui.replaceAll;
        m_replaceField->setText(state.strReplace);
    } else {
        ui.fields->removeRow(ui.replaceField);
        delete ui.replaceOne;
        delete ui.replaceAll;
        m_down = ui.down;
        (state.bDown ? ui.down : ui.up)->setChecked(true);
    }
    m_findField = ui.findField;
    m_findField->setText(state.strFind);
    m_wholeWord = ui.wholeWord;
    m_wholeWord->setChecked(state.bWholeWord);
    m_matchCase = ui.matchCase;
    m_matchCase->setChecked(state.bMatchCase);
    m_findNext = ui.findNext;
    connectButtons(ui.cancel);
    updateButtons();
}

void CFindReplaceDialog::connectButtons(QPushButton* cancel) {
    connect(m_findNext, &QPushButton::clicked, this, [this] {
        storeFields();
        emit findNextRequested();
    });
    if (m_replacing) {
        connect(m_replaceOne, &QPushButton::clicked, this, [this] {
            storeFields();
            emit replaceRequested();
        });
        connect(m_replaceAll, &QPushButton::clicked, this, [this] {
            storeFields();
            emit replaceAllRequested();
        });
    }
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_findField, &QLineEdit::textChanged, this, &CFindReplaceDialog::updateButtons);
}

void CFindReplaceDialog::storeFields() {
    m_state.strFind = m_findField->text();
    if (m_replaceField) m_state.strReplace = m_replaceField->text();
    m_state.bWholeWord = m_wholeWord->isChecked();
    m_state.bMatchCase = m_matchCase->isChecked();
    // Replace always searches down.
    m_state.bDown = m_down ? m_down->isChecked() : true;
}

void CFindReplaceDialog::updateButtons() {
    const bool any = !m_findField->text().isEmpty();
    m_findNext->setEnabled(any);
    if (m_replaceOne) m_replaceOne->setEnabled(any);
    if (m_replaceAll) m_replaceAll->setEnabled(any);
}
