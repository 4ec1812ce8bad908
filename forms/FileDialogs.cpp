#include "forms/FileDialogs.h"

#include <QFileDialog>
#include <QFileSystemModel>

#include "res/Strings.h"

namespace {

FileDialogHook& hook() {
    static FileDialogHook h;
    return h;
}

QString runDialog(QWidget* owner, bool saving, const QString& proposed) {
    QFileDialog dialog(owner,
                       res::loadString(saving ? id::AFX_IDS_SAVEFILE : id::AFX_IDS_OPENFILE));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(saving ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(saving ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setNameFilter(res::loadString(id::AFX_IDS_ALLFILTER));
    // "*.*" means every file where the filter comes from; here it would hide the names without
    // a dot, which is how forms are saved.
    if (auto* model = dialog.findChild<QFileSystemModel*>()) model->setNameFilters({"*"});
    if (!proposed.isEmpty()) dialog.selectFile(proposed);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().constFirst();
}

}  // namespace

void setFileDialogHook(FileDialogHook h) {
    hook() = std::move(h);
}

QString openFormPath(QWidget* owner) {
    if (hook()) return hook()(false, {});
    return runDialog(owner, false, {});
}

QString saveFormPath(QWidget* owner, const QString& proposed) {
    if (hook()) return hook()(true, proposed);
    return runDialog(owner, true, proposed);
}
