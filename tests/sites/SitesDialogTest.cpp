#include <gtest/gtest.h>

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
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
        else if (auto* spin = m_dlg->findChild<QSpinBox*>(field))
            spin->setValue(text.toInt());
        else
            m_dlg->findChild<QComboBox*>(field)->setEditText(text);
    }
    QString shown(const char* field) const {
        if (auto* spin = m_dlg->findChild<QSpinBox*>(field)) return QString::number(spin->value());
        return m_dlg->findChild<QLineEdit*>(field)->text();
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

// The modem's keys of a site, each in a site of its own under a comment of its own: `lines` as
// the book holds them, `without` the same site before `typed` goes into `field` (none for a key
// the window has no field for).
struct KeyCase {
    const char* key;
    const char* lines;
    const char* without;
    const char* field;
    const char* typed;
};
const KeyCase kKeyCases[] = {
    {"phone", "modem = \"COM2\"\nphone = \"+7 912 345-67-89\"\n", "port = \"COM2\"\n", "sitePhone",
     "+7 912 345-67-89"},
    {"phone cleared", "port = \"COM2\"\n",
     "modem = \"COM2\"\nphone = \"5551234\"\nbearer = \"AT+CBST=7,0,1\"\n", "sitePhone", ""},
    {"modem_init", "modem = \"COM2\"\nphone = \"5551234\"\nmodem_init = \"ATZ\"\n",
     "modem = \"COM2\"\nphone = \"5551234\"\n", "siteModemInit", "ATZ"},
    {"bearer", "modem = \"tcp://192.0.2.5:4001\"\nphone = \"5551234\"\nbearer = \"AT+CBST=7,0,1\"\n",
     "modem = \"tcp://192.0.2.5:4001\"\nphone = \"5551234\"\n", "siteBearer", "AT+CBST=7,0,1"},
    {"dial_timeout", "modem = \"COM2\"\nphone = \"5551234\"\ndial_timeout = 120\n",
     "modem = \"COM2\"\nphone = \"5551234\"\n", "siteDialTimeout", "120"},
    {"hello", "hello = \"ID:7\"\n", "hello = \"OLD\"\n", "siteHello", "ID:7"},
    {"hello in hex, with a CR", "port = \"COM1\"\nhello = \"0x49443a370d\"\n", "port = \"COM1\"\n",
     "siteHello", "0x49443a370d"},
    {"address", "address = \"192.0.2.7\"\n", "address = \"192.0.2.8\"\n", "siteAddress",
     "192.0.2.7"},
    {"heartbeat", "hello = \"ID:7\"\nheartbeat = \"0x00\"\n", nullptr, nullptr, nullptr},
    {"read_every", "hello = \"ID:7\"\nread_every = \"12h\"\n", "hello = \"ID:7\"\n",
     "siteReadEvery", "12h"},
};

QByteArray bookWith(const char* lines) {
    return QByteArray("# Книга котельных\n\n# ключ у вахтера\n[\"Котельная 7\"]\n") + lines +
           "device = \"КСМ-Р\"\nspeed = 9600\n";
}

class SitesWindowOnDisk : public SitesWindow {
protected:
    SiteBook::Loaded write(const QByteArray& book) {
        QFile file(path());
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(book);
        file.close();
        return SiteBook::load(path());
    }
    // The book as the window left it, and its one site.
    Site saved(SiteBook::Loaded* book = nullptr) {
        EXPECT_EQ(m_dlg->result(), QDialog::Accepted);
        const SiteBook::Loaded after = SiteBook::load(path());
        EXPECT_EQ(after.problem, QString());
        if (book) *book = after;
        return after.sites.value(0);
    }
};

// Each key shows in its field as the book writes it (bytes a line cannot hold in hex), and
// editing another field keeps it, and the comments too.
TEST_F(SitesWindowOnDisk, EditingTheNoteKeepsEveryOtherKey) {
    for (const KeyCase& c : kKeyCases) {
        SCOPED_TRACE(c.key);
        const SiteBook::Loaded before = write(bookWith(c.lines));
        ASSERT_EQ(before.problem, QString());
        open(before.sites);
        if (c.field) EXPECT_EQ(shown(c.field), QString::fromUtf8(c.typed));
        type("siteNote", QStringLiteral("новое"));
        save();
        SiteBook::Loaded after;
        Site expected = before.sites.value(0);
        expected.note = QStringLiteral("новое");
        EXPECT_EQ(saved(&after), expected);
        EXPECT_EQ(after.header, before.header);
    }
}

// What the operator types is in the book as if written there by hand.
TEST_F(SitesWindowOnDisk, EveryModemKeyTypedIsReadBack) {
    for (const KeyCase& c : kKeyCases) {
        if (!c.field) continue;
        SCOPED_TRACE(c.key);
        const Site expected = SiteBook::load((write(bookWith(c.lines)), path())).sites.value(0);
        open(write(bookWith(c.without)).sites);
        type(c.field, QString::fromUtf8(c.typed));
        save();
        EXPECT_EQ(m_answers.texts(), QStringList());
        EXPECT_EQ(saved(), expected);
    }
}

// A wrong value is refused with the book's own message, and the book is left as it was.
TEST_F(SitesWindowOnDisk, WrongModemValueIsToldAsTheBookTellsIt) {
    const FieldCase cases[] = {
        {"sitePhone", "555-АБВ",
         "объект «Котельная 7»: в номере телефона (phone) допустимы цифры, пробелы, «+-()», «*#», "
         "запятая (пауза) и W, P, T («555-АБВ»)"},
        {"siteModemInit", "ZZ",
         "объект «Котельная 7»: команда модема (modem_init, bearer) начинается с AT и умещается в "
         "строку («ZZ»)"},
        {"siteBearer", "+CBST=7,0,1",
         "объект «Котельная 7»: команда модема (modem_init, bearer) начинается с AT и умещается в "
         "строку («+CBST=7,0,1»)"},
        {"siteHello", "0x4",
         "объект «Котельная 7»: ожидается текст или 0x и шестнадцатеричные цифры, по две на байт "
         "(«0x4»)"},
        {"siteAddress", "192.0.2",
         "объект «Котельная 7»: ожидается IP-адрес модема, например 192.0.2.7 («192.0.2»)"},
        {"siteReadEvery", "1w",
         "объект «Котельная 7»: ожидается число секунд или число с буквой s, m, h или d (например "
         "12h или 1d) («1w»)"},
    };
    const QByteArray book = bookWith("modem = \"COM2\"\nphone = \"5551234\"\n");
    for (const FieldCase& c : cases) {
        SCOPED_TRACE(c.field);
        open(write(book).sites);
        m_answers.boxes.clear();
        type(c.field, QString::fromUtf8(c.text));
        save();
        EXPECT_EQ(m_answers.texts(), QStringList{QString::fromUtf8(c.told)});
        EXPECT_NE(m_dlg->result(), QDialog::Accepted);
        QFile file(path());
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_EQ(file.readAll(), book);
    }
}

// Sites without a modem come back from the window as they went in, to the byte.
TEST_F(SitesWindowOnDisk, SitesWithoutModemAreSavedByteForByte) {
    const QByteArray book = bookWith("port = \"COM1\"\n") +
                            "note = \"ключ у вахтера\"\n\n[\"Котельная 8\"]\n"
                            "port = \"tcp://192.0.2.5:4001\"\ndevice = \"КСМ-СП\"\nspeed = 19200\n";
    open(write(book).sites);
    select(1);
    save();
    EXPECT_EQ(saved().name, QStringLiteral("Котельная 7"));
    QFile file(path());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll().toStdString(), book.toStdString());
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
