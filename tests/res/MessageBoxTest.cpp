#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QDialog>
#include <QMessageBox>

#include "res/MessageBox.h"
#include "tests/fakes/DialogAnswerer.h"

TEST(MessageBox, HookAnswersAndSeesTextAndStyle) {
    QString seen;
    unsigned seenStyle = 0;
    setMessageBoxHook([&](const QString& text, unsigned style) {
        seen = text;
        seenStyle = style;
        return msg::IDNO;
    });
    EXPECT_EQ(tabulonMessageBox("Продолжить?", msg::MB_YESNO | msg::MB_ICONQUESTION), msg::IDNO);
    EXPECT_EQ(seen, "Продолжить?");
    EXPECT_EQ(seenStyle, msg::MB_YESNO | msg::MB_ICONQUESTION);
    setMessageBoxHook({});
}

// Without a hook a real box is shown; answer it by pressing its buttons.
TEST(MessageBox, RealBoxMapsButtonsToAnswers) {
    DialogAnswerer answerer(DialogAnswerer::Boxes::Shown);
    QStringList buttons;
    auto pressLater = [&](QMessageBox::StandardButton which, QString* caption,
                          QMessageBox::Icon* icon) {
        answerer.whenShown<QMessageBox>([=, &buttons](QMessageBox* box) {
            *caption = box->windowTitle();
            *icon = box->icon();
            buttons.clear();
            for (QAbstractButton* b : box->buttons()) buttons << b->text();
            box->button(which)->click();
        });
    };
    QString caption;
    QMessageBox::Icon icon{};
    pressLater(QMessageBox::No, &caption, &icon);
    EXPECT_EQ(tabulonMessageBox("?", msg::MB_YESNO | msg::MB_ICONQUESTION), msg::IDNO);
    EXPECT_EQ(caption, "Tabulon");
    EXPECT_EQ(icon, QMessageBox::Question);
    buttons.sort();
    EXPECT_EQ(buttons, (QStringList{"&Да", "&Нет"}));

    pressLater(QMessageBox::Ok, &caption, &icon);
    EXPECT_EQ(tabulonMessageBox("Связь с вычислителем нарушена"), msg::IDOK);
    EXPECT_EQ(icon, QMessageBox::Warning) << "a box without an icon style gets the exclamation";

    pressLater(QMessageBox::Cancel, &caption, &icon);
    EXPECT_EQ(tabulonMessageBox("?", msg::MB_OKCANCEL | msg::MB_ICONQUESTION), msg::IDCANCEL);
    buttons.sort();
    EXPECT_EQ(buttons, (QStringList{"OK", "Отмена"}));
}

// A modal dialog the test gave no action for fails the test, named, and is closed, so that the
// run goes on rather than waiting for an operator.
TEST(MessageBox, ADialogNobodyAnswersFailsTheTestAndCloses) {
    DialogAnswerer answerer;
    QDialog dialog;
    dialog.setObjectName(QStringLiteral("IDD_UNEXPECTED"));
    dialog.setWindowTitle(QStringLiteral("Нежданный"));
    int result = -1;
    EXPECT_NONFATAL_FAILURE(result = dialog.exec(), "\"IDD_UNEXPECTED\" titled \"Нежданный\"");
    EXPECT_EQ(result, QDialog::Rejected);
}
