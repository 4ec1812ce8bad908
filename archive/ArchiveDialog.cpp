#include "archive/ArchiveDialog.h"

#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include "archive/ArchiveName.h"
#include "res/MessageBox.h"
#include "res/Texts.h"
#include "settings/ExchangeChoice.h"
#include "ui_ArchiveDialog.h"

namespace {

ArchiveDialog::ShownHook& shownHook() {
    static ArchiveDialog::ShownHook hook;
    return hook;
}

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
    s.enabled = ui.IDC_ARCHIVE_ENABLED->isChecked();
    s.folder = ui.IDC_ARCHIVE_FOLDER->text().trimmed();
    s.nameTemplate = ui.IDC_ARCHIVE_TEMPLATE->text().trimmed();
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

void ArchiveDialog::setShownHook(ShownHook hook) {
    shownHook() = std::move(hook);
}

int ArchiveDialog::showModal(QWidget* owner) {
    QDialog dialog(owner);
    Ui::ArchiveDialog ui;
    ui.setupUi(&dialog);
    const ArchiveSettings s = ArchiveSettings::load();
    ui.IDC_ARCHIVE_ENABLED->setChecked(s.enabled);
    ui.IDC_ARCHIVE_FOLDER->setText(s.folder);
    ui.IDC_ARCHIVE_TEMPLATE->setText(s.nameTemplate);
    ui.IDC_ARCHIVE_EXAMPLE->setText(example(s.nameTemplate));
    ui.buttons->button(QDialogButtonBox::Ok)->setText(texts::kOk);
    ui.buttons->button(QDialogButtonBox::Cancel)->setText(texts::kCancel);
    QObject::connect(ui.IDC_ARCHIVE_TEMPLATE, &QLineEdit::textChanged, &dialog,
                     [&](const QString& t) { ui.IDC_ARCHIVE_EXAMPLE->setText(example(t)); });
    QObject::connect(ui.IDC_ARCHIVE_BROWSE, &QPushButton::clicked, &dialog, [&] {
        const QString folder = QFileDialog::getExistingDirectory(
            &dialog, texts::kArchiveFolderTitle, ui.IDC_ARCHIVE_FOLDER->text());
        if (!folder.isEmpty()) ui.IDC_ARCHIVE_FOLDER->setText(folder);
    });
    QObject::connect(ui.buttons, &QDialogButtonBox::accepted, &dialog, [&] { accept(dialog, ui); });
    QObject::connect(ui.buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    if (shownHook()) QTimer::singleShot(0, &dialog, [&] { shownHook()(&dialog); });
    return dialog.exec() == QDialog::Accepted ? msg::IDOK : msg::IDCANCEL;
}
