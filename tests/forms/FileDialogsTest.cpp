#include <gtest/gtest.h>

#include <QFile>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QTemporaryDir>

#include "forms/FileDialogs.h"
#include "tests/fakes/DialogAnswerer.h"

namespace {

// Looks at the dialog while it is open, then chooses `choice` in it.
void inspectAndChoose(DialogAnswerer& answerer, const QString& choice, QString* title,
                      QStringList* filters, QStringList* modelFilters) {
    answerer.whenShown<QFileDialog>([=](QFileDialog* dialog) {
        *title = dialog->windowTitle();
        *filters = dialog->nameFilters();
        if (auto* model = dialog->findChild<QFileSystemModel*>())
            *modelFilters = model->nameFilters();
        dialog->selectFile(choice);
        QMetaObject::invokeMethod(dialog, "accept");
    });
}

}  // namespace

// The one filter reads "All Files (*.*)" and still shows forms saved without an extension.
TEST(FileDialogs, RealDialogsOfferAllFilesIncludingNamesWithoutADot) {
    QTemporaryDir dir;
    const QString form = dir.filePath("form");
    QFile f(form);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();

    DialogAnswerer answerer;
    QString title;
    QStringList filters, modelFilters;
    inspectAndChoose(answerer, form, &title, &filters, &modelFilters);
    EXPECT_EQ(openFormPath(nullptr), form);
    EXPECT_EQ(title, "Open");
    EXPECT_EQ(filters, QStringList{"All Files (*.*)"});
    EXPECT_EQ(modelFilters, QStringList{"*"});

    inspectAndChoose(answerer, dir.filePath("new"), &title, &filters, &modelFilters);
    EXPECT_EQ(saveFormPath(nullptr, dir.filePath("Безымянный1")), dir.filePath("new"));
    EXPECT_EQ(title, "Save As");
}
