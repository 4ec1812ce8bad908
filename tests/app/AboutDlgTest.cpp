#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>

#include "app/AboutDlg.h"

namespace {

// Dialog units: x * 1.5, y * 1.625 pixels, rounded.
QRect fromDialogUnits(int x, int y, int w, int h) {
    return QRect(qRound(x * 1.5), qRound(y * 1.625), qRound(w * 1.5), qRound(h * 1.625));
}

TEST(AboutDlg, TemplateTextsAndLayout) {
    CAboutDlg dialog;
    auto* version = dialog.findChild<QLabel*>("versionLabel");
    auto* credit = dialog.findChild<QLabel*>("creditLabel");
    auto* icon = dialog.findChild<QLabel*>("iconLabel");
    auto* ok = dialog.findChild<QPushButton*>("IDOK");
    ASSERT_TRUE(version && credit && icon && ok);
    EXPECT_EQ(dialog.windowTitle(), "About Tabulon");
    EXPECT_EQ(dialog.size(), QSize(353, 89));
    EXPECT_EQ(version->text(), "Tabulon Version 1.8");
    EXPECT_EQ(version->textFormat(), Qt::PlainText);
    EXPECT_FALSE(credit->text().isEmpty());
    EXPECT_FALSE(icon->pixmap().isNull());
    EXPECT_EQ(ok->text(), "OK");
    EXPECT_TRUE(ok->isDefault());
    EXPECT_EQ(icon->geometry(), fromDialogUnits(11, 17, 20, 20));
    EXPECT_EQ(version->geometry(), fromDialogUnits(40, 10, 119, 8));
    EXPECT_EQ(credit->geometry(), fromDialogUnits(40, 25, 150, 8));
    EXPECT_EQ(ok->geometry(), fromDialogUnits(178, 7, 50, 14));
}

TEST(AboutDlg, OkCloses) {
    CAboutDlg dialog;
    dialog.show();
    dialog.findChild<QPushButton*>("IDOK")->click();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
}

}  // namespace
