#include "archive/ArchiveDialog.h"

#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "archive/ArchiveName.h"
#include "res/MessageBox.h"
#include "res/Texts.h"
#include "settings/ExchangeChoice.h"
#include "ui_ArchiveDialog.h"

namespace {

QString example(const QString& tmpl) {
    const ArchiveNameFields fields{QDateTime(QDate(2026, 12, 9), QTime(14, 3, 12)),
                                   QStringLiteral("COM3"),
                                   kDefaultDevice,
                                   9600,
                                   1,
                                   texts::kArchiveExampleTitle,
                                   QString()};
    return texts::archiveExample(ArchiveName::expand(tmpl, fields));
}

ArchiveSettings shown(const Ui::ArchiveDialog& ui) {
    ArchiveSettings s;
    s.enabled = ui.archiveEnabled->isChecked();
    s.folder = ui.archiveFolder->text().trimmed();
    s.nameTemplate = ui.archiveTemplate->text().trimmed();
    return s;
}

// OK stays up until the values are sound and stored.
void accept(QDialog& dialog, const Ui::ArchiveDialog& ui) {
    const ArchiveSettings s = shown(ui);
    const QString problem = s.problem();
    if (!problem.isEmpty()) {
        tabulonMessageBox(problem, msg::MB_ICONEXCLAMATION);
        return;
    }
    if (!s.save()) {
        tabulonMessageBox(texts::kArchiveSettingsNotSaved, msg::MB_ICONEXCLAMATION);
        return;
    }
    dialog.accept();
}

}  // namespace

int ArchiveDialog::showModal(QWidget* owner) {
    QDialog dialog(owner);
    Ui::ArchiveDialog ui;
    ui.setupUi(&dialog);
    const ArchiveSettings s = ArchiveSettings::load();
    ui.archiveEnabled->setChecked(s.enabled);
    ui.archiveFolder->setText(s.folder);
    ui.archiveTemplate->setText(s.nameTemplate);
    ui.archiveExample->setText(example(s.nameTemplate));
    ui.buttons->button(QDialogButtonBox::Ok)->setText(texts::kOk);
    ui.buttons->button(QDialogButtonBox::Cancel)->setText(texts::kCancel);
    QObject::connect(ui.archiveTemplate, &QLineEdit::textChanged, &dialog,
                     [&](const QString& t) { ui.archiveExample->setText(example(t)); });
    QObject::connect(ui.archiveBrowse, &QPushButton::clicked, &dialog, [&] {
        const QString folder = QFileDialog::getExistingDirectory(
            &dialog, texts::kArchiveFolderTitle, ui.archiveFolder->text());
        if (!folder.isEmpty()) ui.archiveFolder->setText(folder);
    });
    QObject::connect(ui.buttons, &QDialogButtonBox::accepted, &dialog, [&] { accept(dialog, ui); });
    QObject::connect(ui.buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    return dialog.exec() == QDialog::Accepted ? msg::IDOK : msg::IDCANCEL;
}
