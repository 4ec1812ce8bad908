#include <gtest/gtest.h>

#include <QDialog>
#include <QFile>
#include <QImage>
#include <QPushButton>

#include "res/CommandIds.h"
#include "res/DialogForms.h"
#include "res/HelpManual.h"
#include "res/Icons.h"

namespace {

// Dialog units: x * 1.5, y * 1.625 pixels, rounded.
QRect FromDialogUnits(int x, int y, int w, int h) {
    return QRect(qRound(x * 1.5), qRound(y * 1.625), qRound(w * 1.5), qRound(h * 1.625));
}

TEST(AboutDlg, TemplateTextsAndLayout) {
    QDialog dialog;
    Ui::AboutDlg ui;
    ui.setupUi(&dialog);
    EXPECT_EQ(dialog.windowTitle(), "About Tabulon");
    EXPECT_EQ(dialog.size(), QSize(353, 89));
    EXPECT_EQ(ui.versionLabel->text(), "Tabulon Version 1.8");
    EXPECT_EQ(ui.versionLabel->textFormat(), Qt::PlainText);
    EXPECT_FALSE(ui.creditLabel->text().isEmpty());
    EXPECT_FALSE(ui.iconLabel->pixmap().isNull());
    EXPECT_EQ(ui.IDOK->text(), "OK");
    EXPECT_TRUE(ui.IDOK->isDefault());
    EXPECT_EQ(ui.iconLabel->geometry(), FromDialogUnits(11, 17, 20, 20));
    EXPECT_EQ(ui.versionLabel->geometry(), FromDialogUnits(40, 10, 119, 8));
    EXPECT_EQ(ui.creditLabel->geometry(), FromDialogUnits(40, 25, 150, 8));
    EXPECT_EQ(ui.IDOK->geometry(), FromDialogUnits(178, 7, 50, 14));
}

TEST(AboutDlg, OkCloses) {
    QDialog dialog;
    Ui::AboutDlg ui;
    ui.setupUi(&dialog);
    dialog.show();
    ui.IDOK->click();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
}

TEST(ProgressBarStrip, TemplateControls) {
    QWidget strip;
    Ui::ProgressBar ui;
    ui.setupUi(&strip);
    EXPECT_EQ(strip.size(), QSize(605, 36));
    EXPECT_EQ(ui.IDC_PROGRESS->geometry(), FromDialogUnits(7, 7, 284, 8));
    EXPECT_FALSE(ui.IDC_PROGRESS->isTextVisible());
    EXPECT_EQ(ui.IDC_BYTE_COUNT->geometry(), FromDialogUnits(321, 7, 75, 8));
    EXPECT_FALSE(ui.IDC_BYTE_COUNT->isEnabled());
    EXPECT_FALSE(ui.IDC_BYTE_COUNT->hasFrame());
    EXPECT_TRUE(ui.IDC_BYTE_COUNT->text().isEmpty());
}

TEST(Pictures, ToolbarImagesAndIconsHaveTheirSizes) {
    for (const char* name : {"new", "open", "save", "cut", "copy", "paste", "print", "about"}) {
        const QImage image(QStringLiteral(":/toolbar/%1.png").arg(QLatin1String(name)));
        EXPECT_EQ(image.size(), QSize(16, 15)) << name;
    }
    EXPECT_EQ(QImage(":/icons/mainframe.png").size(), QSize(32, 32));
    EXPECT_EQ(QImage(":/icons/formtype-32.png").size(), QSize(32, 32));
    EXPECT_EQ(QImage(":/icons/formtype-16.png").size(), QSize(16, 16));
    EXPECT_FALSE(res::MainFrameIcon().isNull());
    const QList<QSize> sizes = res::FormTypeIcon().availableSizes();
    EXPECT_TRUE(sizes.contains(QSize(32, 32)) && sizes.contains(QSize(16, 16)));
    EXPECT_TRUE(res::ToolbarIcon(id::ID_CONNECT).isNull());
}

TEST(HelpManual, BuiltInUnlessPointedElsewhere) {
    EXPECT_TRUE(res::HelpManualExists());
    EXPECT_EQ(res::HelpManualUrl(), QUrl("qrc:/help/index.html"));
    QFile page(res::HelpManualPath());
    ASSERT_TRUE(page.open(QIODevice::ReadOnly));
    const QString html = QString::fromUtf8(page.readAll());
    EXPECT_TRUE(html.contains("TABULON_COM1"));
    EXPECT_TRUE(html.contains("dialout"));

    res::SetHelpManualPath("/nonexistent/help/index.html");
    EXPECT_FALSE(res::HelpManualExists());
    EXPECT_EQ(res::HelpManualUrl(), QUrl::fromLocalFile("/nonexistent/help/index.html"));
    res::SetHelpManualPath(QString());
    EXPECT_TRUE(res::HelpManualExists());
}

}  // namespace
