#include "forms/FindReplaceDialog.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

CFindReplaceDialog::CFindReplaceDialog(bool replace, FindState& state, QWidget* parent)
    : QDialog(parent), m_bReplace(replace), m_state(state) {
    // A dialog of its own rather than a tool window: Qt lends a tool window's keys to the window
    // under it, whose menu bar would then take Alt+В ("&Вид") from "Заменить &все".
    // The texts the system's own Find and Replace boxes have in Russian.
    setWindowTitle(replace ? QStringLiteral("Заменить") : QStringLiteral("Найти"));
    auto* fields = new QFormLayout;
    m_pFind = new QLineEdit(state.strFind);
    fields->addRow(QStringLiteral("&Что:"), m_pFind);
    if (replace) {
        m_pReplace = new QLineEdit(state.strReplace);
        fields->addRow(QStringLiteral("Ч&ем:"), m_pReplace);
    }
    m_pWholeWord = new QCheckBox(QStringLiteral("Только слово &целиком"));
    m_pWholeWord->setChecked(state.bWholeWord);
    m_pMatchCase = new QCheckBox(QStringLiteral("С &учетом регистра"));
    m_pMatchCase->setChecked(state.bMatchCase);

    auto* left = new QVBoxLayout;
    left->addLayout(fields);
    auto* options = new QHBoxLayout;
    auto* checks = new QVBoxLayout;
    checks->addWidget(m_pWholeWord);
    checks->addWidget(m_pMatchCase);
    options->addLayout(checks);
    if (!replace) {
        auto* direction = new QGroupBox(QStringLiteral("Направление"));
        auto* up = new QRadioButton(QStringLiteral("&Вверх"));
        m_pDown = new QRadioButton(QStringLiteral("Вн&из"));
        (state.bDown ? m_pDown : up)->setChecked(true);
        auto* radios = new QHBoxLayout(direction);
        radios->addWidget(up);
        radios->addWidget(m_pDown);
        options->addWidget(direction);
    }
    left->addLayout(options);

    auto* buttons = new QVBoxLayout;
    m_pFindNext = new QPushButton(QStringLiteral("&Найти далее"));
    m_pFindNext->setDefault(true);
    buttons->addWidget(m_pFindNext);
    connect(m_pFindNext, &QPushButton::clicked, this, [this] {
        StoreFields();
        emit findNextRequested();
    });
    if (replace) {
        m_pReplaceOne = new QPushButton(QStringLiteral("&Заменить"));
        m_pReplaceAll = new QPushButton(QStringLiteral("Заменить &все"));
        buttons->addWidget(m_pReplaceOne);
        buttons->addWidget(m_pReplaceAll);
        connect(m_pReplaceOne, &QPushButton::clicked, this, [this] {
            StoreFields();
            emit replaceRequested();
        });
        connect(m_pReplaceAll, &QPushButton::clicked, this, [this] {
            StoreFields();
            emit replaceAllRequested();
        });
    }
    auto* cancel = new QPushButton(QStringLiteral("Отмена"));
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    buttons->addWidget(cancel);
    buttons->addStretch();

    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left);
    layout->addLayout(buttons);
    connect(m_pFind, &QLineEdit::textChanged, this, &CFindReplaceDialog::UpdateButtons);
    UpdateButtons();
}

void CFindReplaceDialog::StoreFields() {
    m_state.strFind = m_pFind->text();
    if (m_pReplace) m_state.strReplace = m_pReplace->text();
    m_state.bWholeWord = m_pWholeWord->isChecked();
    m_state.bMatchCase = m_pMatchCase->isChecked();
    // Replace always searches down.
    m_state.bDown = m_pDown ? m_pDown->isChecked() : true;
}

void CFindReplaceDialog::UpdateButtons() {
    const bool any = !m_pFind->text().isEmpty();
    m_pFindNext->setEnabled(any);
    if (m_pReplaceOne) m_pReplaceOne->setEnabled(any);
    if (m_pReplaceAll) m_pReplaceAll->setEnabled(any);
}
