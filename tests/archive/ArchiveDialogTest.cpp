#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>

#include "archive/ArchiveDialog.h"
#include "res/MessageStyle.h"
#include "tests/fakes/DialogAnswerer.h"

namespace {

class ArchiveDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir.filePath("profile"));
    }

    // Fills the dialog and presses OK; a refused value leaves it up, and Cancel closes it then.
    int enter(bool enabled, const QString& folder, const QString& tmpl) {
        answerer.whenShown("ArchiveDialog", [=](QDialog* d) {
            d->findChild<QCheckBox*>("archiveEnabled")->setChecked(enabled);
            d->findChild<QLineEdit*>("archiveFolder")->setText(folder);
            d->findChild<QLineEdit*>("archiveTemplate")->setText(tmpl);
            auto* buttons = d->findChild<QDialogButtonBox*>();
            buttons->button(QDialogButtonBox::Ok)->click();
            if (d->isVisible()) buttons->button(QDialogButtonBox::Cancel)->click();
        });
        return ArchiveDialog::showModal();
    }

    DialogAnswerer answerer;
    QTemporaryDir dir;
};

TEST_F(ArchiveDialogTest, AcceptedValuesGoToTheProfile) {
    const ArchiveSettings before = ArchiveSettings::load();
    EXPECT_TRUE(before.enabled);
    EXPECT_TRUE(before.folder.endsWith("/Tabulon"));

    EXPECT_EQ(enter(false, dir.filePath("a"), "{n}_{title}.txt"), msg::IDOK);
    const ArchiveSettings after = ArchiveSettings::load();
    EXPECT_FALSE(after.enabled);
    EXPECT_EQ(after.folder, dir.filePath("a"));
    EXPECT_EQ(after.nameTemplate, "{n}_{title}.txt");
    EXPECT_TRUE(answerer.boxes.isEmpty());
}

struct Refusal {
    const char* title;
    QString folder, tmpl, message;
};

void PrintTo(const Refusal& r, std::ostream* os) {
    *os << r.title;
}

class RefusedValues : public ArchiveDialogTest, public ::testing::WithParamInterface<Refusal> {};

TEST_P(RefusedValues, AreToldAndNotStored) {
    EXPECT_EQ(enter(true, GetParam().folder, GetParam().tmpl), msg::IDCANCEL);
    EXPECT_EQ(answerer.texts(), QStringList{GetParam().message});
    EXPECT_EQ(ArchiveSettings::load().nameTemplate, "{date}_{time}_{port}_{device}_{n}.txt");
}

INSTANTIATE_TEST_SUITE_P(
    ArchiveDialog, RefusedValues,
    ::testing::Values(Refusal{"NoFolder", " ", "{n}.txt", "Не задана папка архива"},
                      Refusal{"NoTemplate", "/tmp/a", "", "Шаблон имени файла пуст"},
                      Refusal{"UnknownField", "/tmp/a", "{n}_{year}.txt",
                              "Неизвестное поле в шаблоне имени: {year}"}),
    [](const auto& info) { return std::string(info.param.title); });

}  // namespace
