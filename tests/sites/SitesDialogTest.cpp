#include <gtest/gtest.h>

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>

#include "sites/SiteBook.h"
#include "sites/SitesDialog.h"
#include "tests/fakes/DialogAnswerer.h"

namespace {

// The window as the operator works it, offscreen: fields typed into, buttons clicked, every
// message noted and answered.
class SitesWindow : public testing::Test {
protected:
    QString path() const { return m_dir.filePath(QStringLiteral("sites.toml")); }

    void open(const QList<Site>& sites = {}, const QString& bookProblem = {}) {
        Site settings;
        settings.port = QStringLiteral("COM2");
        settings.device = 5;
        settings.speed = 2400;
        m_dlg = std::make_unique<SitesDialog>(path(), sites, settings, nullptr, bookProblem);
    }
    void click(const char* button) { m_dlg->findChild<QPushButton*>(button)->click(); }
    void type(const char* field, const QString& text) {
        if (auto* edit = m_dlg->findChild<QLineEdit*>(field))
            edit->setText(text);
        else
            m_dlg->findChild<QComboBox*>(field)->setEditText(text);
    }
    void select(int row) { m_dlg->findChild<QListWidget*>()->setCurrentRow(row); }
    QStringList listed() const {
        QStringList names;
        const auto* list = m_dlg->findChild<QListWidget*>();
        for (int i = 0; i < list->count(); ++i) names << list->item(i)->text();
        return names;
    }
    void save() { m_dlg->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Save)->click(); }

    DialogAnswerer m_answers;
    QTemporaryDir m_dir;
    std::unique_ptr<SitesDialog> m_dlg;
};

TEST_F(SitesWindow, AddEditDuplicateRemoveThenTheFileOnDisk) {
    open();
    click("siteAdd");
    type("siteName", QStringLiteral("Котельная 3"));
    type("sitePort", QStringLiteral("/dev/serial/by-id/usb-FTDI-if00"));
    type("siteDevice", QStringLiteral("КСМ-СП"));
    type("siteSpeed", QStringLiteral("19200"));
    type("siteNote", QStringLiteral("ключ у вахтера"));
    click("siteDuplicate");
    click("siteDuplicate");
    click("siteFromSettings");
    EXPECT_EQ(listed(), (QStringList{"Котельная 3", "Котельная 3 (копия)", "Котельная 3 (копия 2)",
                                     "Новый объект"}));
    select(1);
    click("siteRemove");
    save();
    // Two sites on one line are saved, but not without a word.
    EXPECT_EQ(m_answers.texts(),
              QStringList{QStringLiteral(
                  "Объекты «Котельная 3», «Котельная 3 (копия 2)» указывают один порт "
                  "/dev/serial/by-id/usb-FTDI-if00: при обходе всех объектов "
                  "(tabulon-collect --all) с него будут собраны формы для каждого из них.")});
    EXPECT_EQ(m_dlg->result(), QDialog::Accepted);

    const SiteBook::Loaded book = SiteBook::load(path());
    ASSERT_EQ(book.problem, QString());
    ASSERT_EQ(book.sites.size(), 3);
    EXPECT_EQ(book.sites[0].port, QStringLiteral("/dev/serial/by-id/usb-FTDI-if00"));
    EXPECT_EQ(book.sites[0].device, 3);
    EXPECT_EQ(book.sites[0].speed, 19200);
    EXPECT_EQ(book.sites[0].note, QStringLiteral("ключ у вахтера"));
    EXPECT_EQ(book.sites[1].name, QStringLiteral("Котельная 3 (копия 2)"));
    EXPECT_EQ(book.sites[1].note, book.sites[0].note);
    EXPECT_EQ(book.sites[2].port, QStringLiteral("COM2"));
    EXPECT_EQ(book.sites[2].device, 5);
    EXPECT_EQ(book.sites[2].speed, 2400);
}

struct FieldCase {
    const char* field;
    const char* text;
    const char* told;
};

// A wrong field keeps the operator on the site with the connect command's own text.
TEST_F(SitesWindow, WrongFieldIsToldAsTheConnectCommandTellsIt) {
    const FieldCase cases[] = {
        {"sitePort", "COM10", "Неправильно задан порт"},
        {"siteDevice", "ксм-р", "Неправильно задан тип вычислителя"},
        {"siteSpeed", "09600", "Неправильно задана скорость обмена данными"},
        {"siteName", "котельная  1", "Объект с таким именем уже есть"},
        {"siteName", "Котельная 1.",
         "у объектов «Котельная 1.» и «Котельная 1» была бы одна папка архива «Котельная 1», и "
         "их формы смешались бы: измените одно из имен"},
        {"siteName", "Котельная\t2",
         "В имени объекта есть управляющие символы (табуляция, перевод строки и т. п.)"},
    };
    for (const FieldCase& c : cases) {
        SCOPED_TRACE(c.text);
        Site first;
        first.name = QStringLiteral("Котельная 1");
        first.port = QStringLiteral("COM1");
        Site second = first;
        second.name = QStringLiteral("Котельная 2");
        open({first, second});
        m_answers.boxes.clear();
        select(1);
        type(c.field, QString::fromUtf8(c.text));
        select(0);
        click("siteAdd");
        save();
        EXPECT_EQ(m_answers.texts(), QStringList(3, QString::fromUtf8(c.told)));
        EXPECT_EQ(m_dlg->findChild<QListWidget*>()->currentRow(), 1);
        EXPECT_FALSE(QFile::exists(path()));
    }
}

// The operator sees at once why nothing can be changed, not only at "Сохранить".
TEST_F(SitesWindow, UnreadableBookOpensOnlyToLookAndSaysWhy) {
    QFile file(path());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("[a\n");
    file.close();
    const SiteBook::Loaded book = SiteBook::load(path());
    open(book.sites, book.problem);
    const auto* why = m_dlg->findChild<QLabel*>("siteBookProblem");
    ASSERT_NE(why, nullptr);
    EXPECT_FALSE(why->isHidden());
    EXPECT_TRUE(
        why->text().startsWith(QStringLiteral("Файл объектов открыт только для просмотра")) &&
        why->text().contains(book.problem))
        << why->text().toStdString();
    for (const char* button : {"siteAdd", "siteFromSettings"})
        EXPECT_FALSE(m_dlg->findChild<QPushButton*>(button)->isEnabled()) << button;
    EXPECT_FALSE(
        m_dlg->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Save)->isEnabled());
    m_dlg->accept();
    EXPECT_NE(m_dlg->result(), QDialog::Accepted);
}

// The keys of a site the window shows no field for, or shows with a field the operator leaves,
// each in a site of its own under a comment of its own.
struct KeyCase {
    const char* key;
    const char* lines;  // what stands for the site's line and the key
};
const KeyCase kKeyCases[] = {
    {"phone", "modem = \"COM2\"\nphone = \"+7 912 345-67-89\"\n"},
    {"modem_init", "modem = \"COM2\"\nphone = \"5551234\"\nmodem_init = \"ATZ\"\n"},
    {"bearer", "modem = \"tcp://192.0.2.5:4001\"\nphone = \"5551234\"\nbearer = \"AT+CBST=7,0,1\"\n"},
    {"dial_timeout", "modem = \"COM2\"\nphone = \"5551234\"\ndial_timeout = 120\n"},
    {"hello", "hello = \"ID:7\"\n"},
    {"hello", "port = \"COM1\"\nhello = \"0x49443a370d\"\n"},
    {"address", "address = \"192.0.2.7\"\n"},
    {"heartbeat", "hello = \"ID:7\"\nheartbeat = \"0x00\"\n"},
    {"read_every", "hello = \"ID:7\"\nread_every = \"12h\"\n"},
};

QByteArray bookWith(const char* lines) {
    return QByteArray("# Книга котельных\n\n# ключ у вахтера\n[\"Котельная 7\"]\n") + lines +
           "device = \"КСМ-Р\"\nspeed = 9600\n";
}

// Editing what the window shows keeps what it does not.
TEST_F(SitesWindow, EditingTheNoteKeepsEveryOtherKey) {
    for (const KeyCase& c : kKeyCases) {
        SCOPED_TRACE(c.lines);
        QFile file(path());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bookWith(c.lines));
        file.close();
        const SiteBook::Loaded before = SiteBook::load(path());
        ASSERT_EQ(before.problem, QString());
        open(before.sites);
        type("siteNote", QStringLiteral("новое"));
        save();
        EXPECT_EQ(m_dlg->result(), QDialog::Accepted);
        const SiteBook::Loaded after = SiteBook::load(path());
        ASSERT_EQ(after.problem, QString());
        ASSERT_EQ(after.sites.size(), 1);
        Site expected = before.sites[0];
        expected.note = QStringLiteral("новое");
        EXPECT_EQ(after.sites[0], expected) << c.key;
        EXPECT_EQ(after.header, before.header);
    }
}

TEST_F(SitesWindow, BadBookOnDiskIsNotWrittenOver) {
    QFile file(path());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("[a\n");
    file.close();
    open();
    click("siteAdd");
    save();
    const QStringList told = m_answers.texts();
    ASSERT_EQ(told.size(), 1);
    EXPECT_TRUE(told[0].startsWith(QStringLiteral("Файл объектов не записан")) &&
                told[0].contains(path() + QStringLiteral(", строка 1:")))
        << told[0].toStdString();
    EXPECT_NE(m_dlg->result(), QDialog::Accepted);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("[a\n"));
}

}  // namespace
