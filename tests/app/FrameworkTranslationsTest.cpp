#include <gtest/gtest.h>

#include <QApplication>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>

#include "app/FrameworkTranslations.h"
#include "tests/fakes/DialogAnswerer.h"

namespace {

// The program's file dialogs are Qt's own widgets, never the desktop's.
QString acceptButtonText(QFileDialog::AcceptMode mode) {
    QFileDialog dialog(nullptr, QStringLiteral("Save As"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(mode);
    const auto* box = dialog.findChild<QDialogButtonBox*>();
    if (!box) return {};
    for (QAbstractButton* button : box->buttons())
        if (box->buttonRole(button) == QDialogButtonBox::AcceptRole) return button->text();
    return {};
}

TEST(FrameworkTranslations, FileDialogsAndTheirQuestionSpeakRussian) {
    ASSERT_TRUE(installFrameworkTranslations(*qApp))
        << "Qt's Russian catalogue (qt6-translations-l10n) is not installed";

    EXPECT_EQ(acceptButtonText(QFileDialog::AcceptOpen), "&Открыть");
    EXPECT_EQ(acceptButtonText(QFileDialog::AcceptSave), "&Сохранить");

    // Saving over an existing file asks first; the question is Qt's.
    QTemporaryDir dir;
    const QString existing = dir.filePath("Безымянный1");
    QFile file(existing);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    QFileDialog dialog(nullptr, QStringLiteral("Save As"), dir.path());
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.selectFile(existing);
    QString question;
    QStringList answers;
    DialogAnswerer answerer;
    answerer.whenShown<QMessageBox>([&](QMessageBox* box) {
        question = box->text();
        for (QAbstractButton* button : box->buttons()) answers << button->text();
        box->button(QMessageBox::No)->click();
        dialog.reject();
    });
    answerer.whenShown<QFileDialog>([](QFileDialog* shown) {
        static_cast<QDialog*>(shown)->accept();  // as the accept button does
    });
    dialog.exec();
    EXPECT_EQ(question.toStdString(), "Безымянный1 уже существует.\nЗаменить его?");
    EXPECT_TRUE(answers.contains("&Да")) << answers.join(", ").toStdString();
    EXPECT_TRUE(answers.contains("&Нет")) << answers.join(", ").toStdString();
}

}  // namespace
