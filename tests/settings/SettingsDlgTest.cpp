#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <vector>

#include "ports/PortDeviceLine.h"
#include "res/MessageStyle.h"
#include "settings/IniPath.h"
#include "settings/SettingsDlg.h"
#include "tests/fakes/DialogAnswerer.h"
#include "tests/settings/Cp1251.h"

namespace {

QComboBox* comboBox(QDialog* dialog, const char* name) {
    return dialog->findChild<QComboBox*>(QString::fromLatin1(name));
}

QPushButton* button(QDialog* dialog, const char* name) {
    return dialog->findChild<QPushButton*>(QString::fromLatin1(name));
}

class SettingsDlgTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_strIniPath = dir.filePath("Tabulon.ini");
    }
    void TearDown() override { g_strIniPath.clear(); }

    void writeIni(std::string_view utf8) {
        QFile file(g_strIniPath);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        const std::string bytes = cp1251(utf8);
        file.write(bytes.data(), qint64(bytes.size()));
    }

    // Shows the dialog, lets `act` work on it while it runs, and returns DoModal's answer.
    int show(CSettingsDlg& dlg, std::function<void(QDialog*)> act) {
        bool ran = false;
        answerer.whenShown("IDD_SETTINGS", [&](QDialog* dialog) {
            EXPECT_TRUE(QTest::qWaitForWindowActive(dialog));
            ran = true;
            act(dialog);
        });
        const int answer = dlg.DoModal();
        EXPECT_TRUE(ran) << "the dialog was never shown";
        return answer;
    }

    DialogAnswerer answerer;
    QTemporaryDir dir;
};

TEST_F(SettingsDlgTest, WithoutFileOpensWithDefaultsSelected) {
    CSettingsDlg dlg;
    EXPECT_EQ(answerer.texts(), QStringList{"Невозможно открыть файл Tabulon.ini"});
    show(dlg, [](QDialog* dialog) {
        EXPECT_EQ(dialog->windowTitle(), "Настройки");
        EXPECT_EQ(comboBox(dialog, "IDC_PORT")->currentIndex(), 0);
        EXPECT_EQ(comboBox(dialog, "IDC_DEVICE")->currentIndex(), 1);
        EXPECT_EQ(comboBox(dialog, "IDC_DEVICE")->currentText(), "КСМ-Р");
        EXPECT_EQ(comboBox(dialog, "IDC_RATE")->currentText(), "9600");
        EXPECT_EQ(QApplication::focusWidget(), button(dialog, "IDOK"));
        dialog->reject();
    });
}

TEST_F(SettingsDlgTest, ListsHoldFixedItemsInOrderAndTabOrderFollowsTemplate) {
    CSettingsDlg dlg;
    show(dlg, [](QDialog* dialog) {
        const auto items = [&](const char* name) {
            QStringList texts;
            QComboBox* list = comboBox(dialog, name);
            for (int i = 0; i < list->count(); ++i) texts << list->itemText(i);
            return texts;
        };
        EXPECT_EQ(items("IDC_PORT"), (QStringList{"COM1", "COM2", "COM3", "COM4", "COM5", "COM6",
                                                  "COM7", "COM8", "COM9"}));
        EXPECT_EQ(items("IDC_DEVICE"),
                  (QStringList{"КСМ", "КСМ-Р", "КСМ-Н", "КСМ-С", "КСМ-СП", "КСМ-Ж"}));
        EXPECT_EQ(items("IDC_RATE"), (QStringList{"2400", "4800", "9600", "19200"}));

        QStringList order;
        for (int i = 0; i < 5; ++i) {
            QWidget* focus = QApplication::focusWidget();
            while (focus && focus->objectName().isEmpty()) focus = focus->parentWidget();
            order << (focus ? focus->objectName() : QString());
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        }
        EXPECT_EQ(order, (QStringList{"IDOK", "IDCANCEL", "IDC_PORT", "IDC_DEVICE", "IDC_RATE"}));
        dialog->reject();
    });
}

// The line that names the device behind the chosen port stands below the lists, which keep
// their places.
TEST_F(SettingsDlgTest, DeviceLineStandsBelowTheListsThatKeepTheirPlaces) {
    CSettingsDlg dlg;
    show(dlg, [](QDialog* dialog) {
        auto* line = dialog->findChild<PortDeviceLine*>("portDevice");
        ASSERT_TRUE(line);
        EXPECT_TRUE(line->line().startsWith("COM1 — ")) << line->line().toStdString();
        EXPECT_TRUE(line->isVisible());
        const QRect rate = comboBox(dialog, "IDC_RATE")->geometry();
        EXPECT_EQ(rate, QRect(11, 133, 108, 23));
        EXPECT_EQ(comboBox(dialog, "IDC_PORT")->geometry(), QRect(11, 26, 110, 23));
        EXPECT_GE(line->geometry().top(), rate.bottom());
        EXPECT_LE(line->geometry().bottom(), dialog->height());
        dialog->reject();
    });
}

struct PresetCase {
    const char* name;
    const char* list;    // object name of the combo box
    const char* stored;  // the string the dialog holds
    int index;           // selected item, -1 for none
    const char* shown;   // edit text
};

std::ostream& operator<<(std::ostream& os, const PresetCase& c) {
    return os << c.name;
}

class PresetTest : public SettingsDlgTest, public ::testing::WithParamInterface<PresetCase> {};

// Each case is also accepted unchanged: what was shown is what the string becomes.
TEST_P(PresetTest, SelectsFirstItemBeginningWithStringAndAcceptsIt) {
    const PresetCase& c = GetParam();
    CSettingsDlg dlg;
    QString* field = c.list == std::string_view("IDC_PORT")     ? &dlg.m_strPort
                     : c.list == std::string_view("IDC_DEVICE") ? &dlg.m_strDevice
                                                                : &dlg.m_strRate;
    *field = QString::fromUtf8(c.stored);
    const int answer = show(dlg, [&](QDialog* dialog) {
        EXPECT_EQ(comboBox(dialog, c.list)->currentIndex(), c.index);
        EXPECT_EQ(comboBox(dialog, c.list)->currentText(), QString::fromUtf8(c.shown));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    });
    EXPECT_EQ(answer, msg::IDOK);
    EXPECT_EQ(*field, QString::fromUtf8(c.shown));
}

INSTANTIATE_TEST_SUITE_P(
    Table, PresetTest,
    ::testing::Values(PresetCase{"ShortestTypeFirst", "IDC_DEVICE", "КСМ", 0, "КСМ"},
                      PresetCase{"TypeAboveLongerName", "IDC_DEVICE", "КСМ-С", 3, "КСМ-С"},
                      PresetCase{"LongerTypeName", "IDC_DEVICE", "КСМ-СП", 4, "КСМ-СП"},
                      PresetCase{"CyrillicLowerCase", "IDC_DEVICE", "ксм-ж", 5, "КСМ-Ж"},
                      PresetCase{"PortLowerCase", "IDC_PORT", "com2", 1, "COM2"},
                      PresetCase{"BeginningOfItem", "IDC_PORT", "COM", 0, "COM1"},
                      PresetCase{"EmptySelectsTopItem", "IDC_PORT", "", 0, "COM1"},
                      PresetCase{"SpeedPrefix", "IDC_RATE", "1", 3, "19200"},
                      PresetCase{"ShiftedPortUnselected", "IDC_PORT", "T=COM1", -1, "T=COM1"},
                      PresetCase{"SpeedWithTrailingText", "IDC_RATE", "9600MODE=1", -1,
                                 "9600MODE=1"},
                      PresetCase{"TabBeforeType", "IDC_DEVICE", "\tКСМ", -1, "\tКСМ"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SettingsDlgTest, FileValuesPresetTheLists) {
    writeIni("PORT = com4\r\nDEVICE = КСМ-С\r\nRATE = 4800");
    CSettingsDlg dlg;
    EXPECT_TRUE(answerer.boxes.empty());
    EXPECT_EQ(dlg.m_strPort, "com4");
    show(dlg, [](QDialog* dialog) {
        EXPECT_EQ(comboBox(dialog, "IDC_PORT")->currentText(), "COM4");
        EXPECT_EQ(comboBox(dialog, "IDC_DEVICE")->currentIndex(), 3);
        EXPECT_EQ(comboBox(dialog, "IDC_RATE")->currentIndex(), 1);
        dialog->reject();
    });
}

// QTest::keyClicks knows Latin-1 keys only; a Cyrillic letter is sent as the text of a key.
void type(QWidget* widget, const QString& text) {
    for (QChar c : text) {
        if (c.unicode() < 0x80)
            QTest::keyClick(widget, c.toLatin1());
        else
            QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
}

// Tab into each list (which selects its text) and type over it, as the operator does.
void typeIntoLists(QDialog* dialog, const QString& port, const QString& device,
                   const QString& rate) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    for (const QString& text : {port, device, rate}) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        type(QApplication::focusWidget(), text);
    }
    EXPECT_EQ(comboBox(dialog, "IDC_RATE")->currentText(), rate);
}

TEST_F(SettingsDlgTest, TypedTextIsTakenAsTyped) {
    CSettingsDlg dlg;
    const int answer = show(dlg, [](QDialog* dialog) {
        typeIntoLists(dialog, "com3", "КСМ-Х", "96");
        // Enter in an edit field presses the default button, "Продолжить".
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    });
    EXPECT_EQ(answer, msg::IDOK);
    EXPECT_EQ(dlg.m_strPort, "com3");
    EXPECT_EQ(dlg.m_strDevice, "КСМ-Х");
    EXPECT_EQ(dlg.m_strRate, "96");

    // Accepted text presets the next showing, rejected or not.
    show(dlg, [](QDialog* dialog) {
        EXPECT_EQ(comboBox(dialog, "IDC_PORT")->currentText(), "COM3");
        EXPECT_EQ(comboBox(dialog, "IDC_DEVICE")->currentIndex(), -1);
        EXPECT_EQ(comboBox(dialog, "IDC_DEVICE")->currentText(), "КСМ-Х");
        EXPECT_EQ(comboBox(dialog, "IDC_RATE")->currentText(), "9600");
        dialog->reject();
    });
}

TEST_F(SettingsDlgTest, EveryWayOfCancellingLeavesTheStrings) {
    writeIni("PORT=COM2DEVICE=КСМ-НRATE=2400");
    CSettingsDlg dlg;
    const std::vector<std::function<void(QDialog*)>> cancels{
        [](QDialog* dialog) { button(dialog, "IDCANCEL")->click(); },
        [](QDialog*) { QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape); },
        [](QDialog* dialog) { dialog->close(); },
    };
    for (const auto& cancel : cancels) {
        const int answer = show(dlg, [&](QDialog* dialog) {
            typeIntoLists(dialog, "COM9", "КСМ-Ж", "19200");
            cancel(dialog);
        });
        EXPECT_EQ(answer, msg::IDCANCEL);
        EXPECT_EQ(dlg.m_strPort, "COM2");
        EXPECT_EQ(dlg.m_strDevice, "КСМ-Н");
        EXPECT_EQ(dlg.m_strRate, "2400");
    }
}

// The test program runs from its build folder, where the operator may write.
TEST(ComputeIniPath, EnvironmentNamesTheFileElseBesideTheExecutable) {
    qputenv("TABULON_INI", "/var/lib/tabulon/Tabulon.ini");
    EXPECT_EQ(computeIniPath(), "/var/lib/tabulon/Tabulon.ini");
    qunsetenv("TABULON_INI");
    EXPECT_EQ(computeIniPath(), QCoreApplication::applicationDirPath() + "/Tabulon.ini");
}

}  // namespace
