#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QTemporaryDir>
#include <QTimer>

#include "forms/FileDialogs.h"

namespace {

// Looks at the dialog while it is open, then chooses `choice` in it.
void inspectAndChoose(const QString& choice, QString* title, QStringList* filters,
                      QStringList* modelFilters) {
    QTimer::singleShot(0, [=] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            auto* dialog = qobject_cast<QFileDialog*>(w);
            if (!dialog || !dialog->isVisible()) continue;
            *title = dialog->windowTitle();
            *filters = dialog->nameFilters();
            if (auto* model = dialog->findChild<QFileSystemModel*>())
                *modelFilters = model->nameFilters();
            dialog->selectFile(choice);
            QMetaObject::invokeMethod(dialog, "accept");
        }
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

    QString title;
    QStringList filters, modelFilters;
    inspectAndChoose(form, &title, &filters, &modelFilters);
    EXPECT_EQ(openFormPath(nullptr), form);
    EXPECT_EQ(title, "Open");
    EXPECT_EQ(filters, QStringList{"All Files (*.*)"});
    EXPECT_EQ(modelFilters, QStringList{"*"});

    inspectAndChoose(dir.filePath("new"), &title, &filters, &modelFilters);
    EXPECT_EQ(saveFormPath(nullptr, dir.filePath("Безымянный1")), dir.filePath("new"));
    EXPECT_EQ(title, "Save As");
}
