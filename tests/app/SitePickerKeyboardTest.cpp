#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include "frames/CommandRouter.h"
#include "frames/MainFrame.h"
#include "res/CommandIds.h"
#include "sites/SiteBook.h"
#include "sites/SitePickerDialog.h"
#include "tests/app/AppFixture.h"
#include "tests/xvfb/XKeys.h"

namespace {

using SitePickerKeys = AppFixture;

// Typed into the filter, the list narrows; Down moves through what is left and Enter takes
// it; "Настройки" then opens with the site's port, type and speed.
TEST_F(SitePickerKeys, TypingNarrowsEnterPicksAndSettingsOpenPreset) {
    QString error;
    ASSERT_TRUE(
        SiteBook::save(m_dir.filePath("sites.toml"),
                       {makeSite("Котельная 3", "COM3", 0, 9600),
                        makeSite("ЦТП 12", "COM2", 4, 2400), makeSite("ЦТП 14", "COM4", 5, 19200)},
                       &error))
        << error.toStdString();
    ASSERT_TRUE(startApp());
    ASSERT_TRUE(QTest::qWaitForWindowExposed(mainFrame()));

    QStringList shownAfterTyping;
    m_answerer.whenShown<SitePickerDialog>([&](SitePickerDialog* picker) {
        picker->activateWindow();  // the window manager's part
        waitUntil([picker] { return picker->isActiveWindow(); }, 5000);
        sendKeys("1");
        const auto* table = picker->findChild<QTreeWidget*>();
        for (int i = 0; i < table->topLevelItemCount(); ++i)
            if (!table->topLevelItem(i)->isHidden())
                shownAfterTyping << table->topLevelItem(i)->text(0);
        sendKeys("Down Return");
    });
    QStringList preset;
    m_answerer.whenShown("IDD_SETTINGS", [&](QDialog* dialog) {
        for (const char* list : {"IDC_PORT", "IDC_DEVICE", "IDC_RATE"})
            preset << dialog->findChild<QComboBox*>(list)->currentText();
        dialog->reject();
    });
    mainFrame()->commands().run(id::ID_SITE_CONNECT);

    EXPECT_EQ(shownAfterTyping, (QStringList{"ЦТП 12", "ЦТП 14"}));
    EXPECT_EQ(preset, (QStringList{"COM4", "КСМ", "19200"}));
    EXPECT_FALSE(mainFrame()->exchange().workerAlive());
}

}  // namespace
