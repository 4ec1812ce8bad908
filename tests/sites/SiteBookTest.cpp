#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "sites/SiteBook.h"
#include "sites/SiteBookFormat.h"
#include "sites/SiteCheck.h"
#include "tests/sites/TestSite.h"

void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}

namespace {

const QString kPath = QStringLiteral("/b/sites.toml");

// Each site as "name|port|device|speed|note", a dial-up site's with
// "|phone|modem_init|bearer|dial_timeout", joined by ';'.
QString summary(const QList<Site>& sites) {
    QStringList parts;
    for (const Site& s : sites) {
        parts << QStringLiteral("%1|%2|%3|%4|%5")
                     .arg(s.name, s.port)
                     .arg(s.device)
                     .arg(s.speed)
                     .arg(s.note);
        if (s.isDialUp())
            parts.back() +=
                QStringLiteral("|%1|%2|%3|%4").arg(s.phone, s.modemInit, s.bearer).arg(s.dialTimeout);
    }
    return parts.join(QLatin1Char(';'));
}

struct BookCase {
    const char* label;
    const char* text;
    const char* sites;    // summary() of what is read
    const char* problem;  // the whole message, after "Файл объектов /b/sites.toml, "
};

std::ostream& operator<<(std::ostream& os, const BookCase& c) {
    return os << c.label;
}

class SiteBookFile : public testing::TestWithParam<BookCase> {};

TEST_P(SiteBookFile, ReadsSitesOrNamesTheMistake) {
    const BookCase& c = GetParam();
    const SiteBookFormat::Parsed parsed = SiteBookFormat::parse(QByteArray(c.text), kPath);
    EXPECT_EQ(summary(parsed.sites), QString::fromUtf8(c.sites));
    const QString problem = QString::fromUtf8(c.problem);
    EXPECT_EQ(parsed.problem, problem.isEmpty()
                                  ? QString()
                                  : QStringLiteral("Файл объектов /b/sites.toml, ") + problem);
}

INSTANTIATE_TEST_SUITE_P(
    Table, SiteBookFile,
    testing::Values(
        BookCase{"empty", "", "", ""},
        BookCase{"cyrillic names with spaces, in file order, type by name and number",
                 "# Котельная на Лесной\n[\"Котельная 3\"]\nport = \"COM3\"\ndevice = \"КСМ-Р\"\n"
                 "speed = 9600\nnote = \"ключ у вахтера\"\n\n"
                 "[\"ЦТП Береговая\"]\nport = \"tcp://10.0.0.5:4001\"\ndevice = 5\nspeed = 2400\n"
                 "[\"А\"]\nport = \"/dev/serial/by-id/usb-FTDI-if00\"\n",
                 "Котельная 3|COM3|0|9600|ключ у вахтера;ЦТП Береговая|tcp://10.0.0.5:4001|5|2400|;"
                 "А|/dev/serial/by-id/usb-FTDI-if00|0|9600|",
                 ""},
        BookCase{"type number in quotes, with a leading zero as tabulon-collect takes it",
                 "[a]\nport = \"COM3\"\ndevice = \"04\"\n", "a|COM3|4|9600|", ""},
        BookCase{"not TOML", "[\"Котельная 3\"]\nport = COM3\n", "",
                 "строка 2: это не запись TOML (Error while parsing value: could not determine "
                 "value type)."},
        BookCase{"name without quotes", "[Котельная]\nport = \"COM3\"\n", "",
                 "строка 1: имя с русскими буквами, пробелами или точками пишется в кавычках: "
                 "[\"Котельная\"]."},
        BookCase{"unknown type", "[\"Котельная 3\"]\nport = \"COM3\"\ndevice = \"КСМ-Х\"\n", "",
                 "строка 3: объект «Котельная 3»: Неправильно задан тип вычислителя («КСМ-Х»)."},
        BookCase{"type number out of range", "[a]\nport = \"COM3\"\ndevice = 6\n", "",
                 "строка 3: объект «a»: Неправильно задан тип вычислителя («6»)."},
        BookCase{"bad speed", "[a]\nport = \"COM3\"\nspeed = 9601\n", "",
                 "строка 3: объект «a»: Неправильно задана скорость обмена данными («9601»)."},
        BookCase{"speed in quotes", "[a]\nport = \"COM3\"\nspeed = \"9600\"\n", "",
                 "строка 3: у объекта «a» значение speed должно быть числом."},
        BookCase{"port a number", "[a]\nport = 3\n", "",
                 "строка 2: у объекта «a» значение port должно быть строкой в кавычках."},
        BookCase{"bad port", "[a]\nport = \"COM10\"\n", "",
                 "строка 2: объект «a»: Неправильно задан порт («COM10»)."},
        BookCase{"address without port", "[a]\nport = \"tcp://10.0.0.5\"\n", "",
                 "строка 2: объект «a»: Неправильно задан порт («tcp://10.0.0.5»)."},
        BookCase{"missing port", "[a]\nport = \"COM1\"\n\n[\"Котельная 3\"]\nspeed = 9600\n", "",
                 "строка 4: у объекта «Котельная 3» не задан порт (port)."},
        BookCase{
            "misspelt key", "[a]\nport = \"COM1\"\nsped = 2400\n", "",
            "строка 3: у объекта «a» неизвестный ключ sped (известны port, device, speed, note, "
            "modem, phone, modem_init, bearer, dial_timeout)."},
        BookCase{
            "key outside any site", "title = \"x\"\n[a]\nport = \"COM1\"\n", "",
            "строка 1: «title» не объект: объект начинается заголовком [\"title\"], под которым "
            "стоят его port, device, speed и note."},
        BookCase{"duplicate table",
                 "[\"Котельная 3\"]\nport = \"COM1\"\n[\"Котельная 3\"]\nport = \"COM2\"\n", "",
                 "строка 3: объект «Котельная 3» описан второй раз."},
        BookCase{"duplicate table spelt another way",
                 "[ab]\nport = \"COM1\"\n[\"a\\u0062\"]\nport = \"COM2\"\n", "",
                 "строка 3: объект «ab» описан второй раз."},
        BookCase{"names differing in case and blanks",
                 "[\"Котельная 3\"]\nport = \"COM1\"\n"
                 "[\"котельная  3\"]\nport = \"COM2\"\n",
                 "", "строка 3: объект «котельная  3» описан второй раз."},
        BookCase{"empty name", "[\"\"]\nport = \"COM1\"\n", "", "строка 1: Не задано имя объекта."},
        BookCase{"names composed and decomposed",
                 "[\"Сейф\"]\nport = \"COM1\"\n"
                 "[\"Сеи\u0306ф\"]\nport = \"COM2\"\n",
                 "", "строка 3: объект «Сеи\u0306ф» описан второй раз."},
        BookCase{"a NUL in a name", "[\"a\\u0000b\"]\nport = \"COM1\"\n", "",
                 "строка 1: В имени объекта есть управляющие символы (табуляция, перевод строки и "
                 "т. п.)."},
        BookCase{"a tab in a name", "[\"a\\tb\"]\nport = \"COM1\"\n", "",
                 "строка 1: В имени объекта есть управляющие символы (табуляция, перевод строки и "
                 "т. п.)."},
        // A dial-up site: the modem's port and the number, the rest optional.
        BookCase{"dial-up site",
                 "[a]\nmodem = \"COM2\"\nphone = \"+7 (912) 345-67-89\"\nspeed = 2400\n"
                 "bearer = \"AT+CBST=7,0,1\"\nmodem_init = \"ATZ\"\ndial_timeout = 120\n"
                 "[b]\nmodem = \"tcp://10.0.0.5:4001\"\nphone = \"8,W5551234\"\n",
                 "a|COM2|0|2400||+7 (912) 345-67-89|ATZ|AT+CBST=7,0,1|120;"
                 "b|tcp://10.0.0.5:4001|0|9600||8,W5551234|||90",
                 ""},
        BookCase{"phone without modem", "[a]\nport = \"COM2\"\nphone = \"5551234\"\n", "",
                 "строка 1: у объекта «a» задан телефон (phone), но не задан модем (modem)."},
        BookCase{"modem without phone", "[a]\nmodem = \"COM2\"\n", "",
                 "строка 1: у объекта «a» задан модем (modem), но не задан телефон (phone)."},
        BookCase{"port and modem", "[a]\nport = \"COM1\"\nmodem = \"COM2\"\nphone = \"1\"\n",
                 "",
                 "строка 1: у объекта «a» заданы и port, и modem: вычислитель за модемом "
                 "вызывается через порт модема (modem), port не нужен."},
        BookCase{"bearer on a cable site", "[a]\nport = \"COM1\"\nbearer = \"AT+CBST=7,0,1\"\n",
                 "", "строка 1: у объекта «a» ключ bearer нужен только вместе с modem и phone."},
        BookCase{"bad modem port", "[a]\nmodem = \"COM10\"\nphone = \"1\"\n", "",
                 "строка 2: объект «a»: Неправильно задан порт («COM10»)."},
        BookCase{"letters in the phone", "[a]\nmodem = \"COM2\"\nphone = \"555 ОФИС\"\n", "",
                 "строка 3: объект «a»: в номере телефона (phone) допустимы цифры, пробелы, «+-()», "
                 "«*#», запятая (пауза) и W, P, T («555 ОФИС»)."},
        BookCase{"a semicolon would leave the modem in command mode",
                 "[a]\nmodem = \"COM2\"\nphone = \"5551234;\"\n", "",
                 "строка 3: объект «a»: в номере телефона (phone) допустимы цифры, пробелы, «+-()», "
                 "«*#», запятая (пауза) и W, P, T («5551234;»)."},
        BookCase{"bearer not an AT command",
                 "[a]\nmodem = \"COM2\"\nphone = \"1\"\nbearer = \"+CBST=7,0,1\"\n", "",
                 "строка 4: объект «a»: команда модема (modem_init, bearer) начинается с AT и "
                 "умещается в строку («+CBST=7,0,1»)."},
        BookCase{"a line break in the init",
                 "[a]\nmodem = \"COM2\"\nphone = \"1\"\nmodem_init = \"ATZ\\rATD666\"\n", "",
                 "строка 4: объект «a»: команда модема (modem_init, bearer) начинается с AT и "
                 "умещается в строку («ATZ\rATD666»)."},
        BookCase{"dial time-out too short",
                 "[a]\nmodem = \"COM2\"\nphone = \"1\"\ndial_timeout = 5\n", "",
                 "строка 4: объект «a»: время ожидания соединения (dial_timeout) - от 10 до 600 "
                 "секунд («5»)."},
        BookCase{"dial time-out in quotes",
                 "[a]\nmodem = \"COM2\"\nphone = \"1\"\ndial_timeout = \"90\"\n", "",
                 "строка 4: у объекта «a» значение dial_timeout должно быть числом."}));

// Names the book would take one by one but whose forms would share a folder of the archive.
TEST(SiteBookFolders, NamesGivingOneFolderAreRefused) {
    const char* const twins[][3] = {
        {"..", ".", "_"},       {"...", "_", "_"}, {"a/b", "a_b", "a_b"},
        {"a\\b", "a/b", "a_b"}, {"x.", "x", "x"},  {"Ж.Ж", " ж.ж.", "ж.ж"},
    };
    for (const auto& twin : twins) {
        SCOPED_TRACE(twin[0]);
        const QString first = QString::fromUtf8(twin[0]), second = QString::fromUtf8(twin[1]);
        const QByteArray text = "['" + QByteArray(twin[0]) + "']\nport = \"COM1\"\n['" +
                                QByteArray(twin[1]) + "']\nport = \"COM2\"\n";
        const SiteBookFormat::Parsed parsed = SiteBookFormat::parse(text, kPath);
        EXPECT_EQ(
            parsed.problem,
            QStringLiteral("Файл объектов /b/sites.toml, строка 3: у объектов «%1» и «%2» была "
                           "бы одна папка архива «%3», и их формы смешались бы: измените "
                           "одно из имен.")
                .arg(second, first, QString::fromUtf8(twin[2])));
    }
}

TEST(SiteBookComments, HeaderAndSiteCommentsSurviveARewrite) {
    const QByteArray text =
        "# Котельные района\n# второй строкой\n\n# Котельная на Лесной\n[\"Котельная 3\"]\n"
        "port = \"COM3\" # потеряется\nnote = \"ключ \\\"у\\\" вахтера\"\n\n[b]\nport = \"COM4\"\n";
    const SiteBookFormat::Parsed first = SiteBookFormat::parse(text, kPath);
    ASSERT_EQ(first.problem, QString());
    EXPECT_EQ(first.header, QStringLiteral("# Котельные района\n# второй строкой\n"));
    ASSERT_EQ(first.sites.size(), 2);
    EXPECT_EQ(first.sites[0].comment, QStringLiteral("# Котельная на Лесной\n"));
    EXPECT_EQ(first.sites[1].comment, QString());

    const QByteArray rewritten = SiteBookFormat::format(first.sites, first.header);
    const SiteBookFormat::Parsed second = SiteBookFormat::parse(rewritten, kPath);
    EXPECT_EQ(second.problem, QString());
    EXPECT_EQ(second.header, first.header);
    EXPECT_EQ(second.sites, first.sites);
    EXPECT_TRUE(
        rewritten.startsWith("# Котельные района\n# второй строкой\n\n# Котельная на Лесной\n"
                             "[\"Котельная 3\"]\nport = \"COM3\"\ndevice = \"КСМ-Р\"\n"))
        << rewritten.toStdString();
}

// A dial-up site is written back with its modem, not a port, and what it set apart from the
// defaults.
TEST(SiteBookDialUp, SurvivesARewrite) {
    const QByteArray text =
        "[a]\nmodem = \"COM2\"\nphone = \"8,W5551234\"\nbearer = \"AT+CBST=7,0,1\"\n"
        "dial_timeout = 120\n[b]\nmodem = \"COM3\"\nphone = \"1\"\n";
    const SiteBookFormat::Parsed first = SiteBookFormat::parse(text, kPath);
    ASSERT_EQ(first.problem, QString());
    const QByteArray rewritten = SiteBookFormat::format(first.sites, first.header);
    const SiteBookFormat::Parsed second = SiteBookFormat::parse(rewritten, kPath);
    EXPECT_EQ(second.problem, QString());
    EXPECT_EQ(second.sites, first.sites);
    EXPECT_FALSE(rewritten.contains("port =")) << rewritten.toStdString();
    EXPECT_EQ(rewritten.count("dial_timeout"), 1) << "the default is not written";
}

TEST(SiteBookDialUp, SitesCallingThroughOneModemShareNoPort) {
    const Site cable{"a", "COM2"}, otherCable{"d", "COM2"};
    Site first{"b", "COM2"}, second{"c", "COM2"};
    first.phone = "5551234";
    second.phone = "5554321";
    EXPECT_EQ(sitesSharingPort({first, second}), QString());
    EXPECT_FALSE(sitesSharingPort({cable, first, second, otherCable}).isEmpty());
}

// A calling-in site's hello is written back as the operator wrote it: text stays text (also
// Cyrillic), bytes that are not text stay hex.
TEST(SiteBookCallingIn, HelloIsWrittenBackAsWritten) {
    const struct {
        const char* written;
        const char* rewritten;
    } cases[] = {
        {"ЦТП-15", "ЦТП-15"},
        {"KSM 12", "KSM 12"},
        {"0x4B534D", "KSM"},
        {"0x00ff01", "0x00ff01"},
        {"0xd0", "0xd0"},        // half a Cyrillic letter is not text
        {"0x307836", "0x307836"},  // "0x6" would read back as one byte
    };
    for (const auto& c : cases) {
        const QByteArray text = QByteArray("[a]\nhello = \"") + c.written + "\"\n";
        const SiteBookFormat::Parsed first = SiteBookFormat::parse(text, kPath);
        ASSERT_EQ(first.problem, QString()) << c.written;
        const QByteArray rewritten = SiteBookFormat::format(first.sites, first.header);
        EXPECT_TRUE(rewritten.contains(QByteArray("hello = \"") + c.rewritten + "\""))
            << c.written << " -> " << rewritten.toStdString();
        EXPECT_EQ(SiteBookFormat::parse(rewritten, kPath).sites, first.sites) << c.written;
    }
}

class SiteBookOnDisk : public testing::Test {
protected:
    QString path() const { return m_dir.filePath(QStringLiteral("sites.toml")); }
    QByteArray contents() const {
        QFile file(path());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    void put(const QByteArray& bytes) {
        QFile file(path());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    QTemporaryDir m_dir;
};

TEST_F(SiteBookOnDisk, MissingFileIsAnEmptyBookAndANewOneGetsTheHeader) {
    const SiteBook::Loaded none = SiteBook::load(path());
    EXPECT_TRUE(none.sites.isEmpty());
    EXPECT_EQ(none.problem, QString());
    const Site one =
        makeSite(QStringLiteral("ЦТП 1"), QStringLiteral("rfc2217://[::1]:4001"), 4, 19200);
    QString error;
    ASSERT_TRUE(SiteBook::save(path(), {one}, &error)) << error.toStdString();
    EXPECT_TRUE(contents().startsWith("# Объекты Tabulon"));
    const SiteBook::Loaded loaded = SiteBook::load(path());
    EXPECT_EQ(loaded.problem, QString());
    EXPECT_EQ(loaded.sites, QList<Site>{one});
    ASSERT_NE(SiteBook::find(loaded.sites, QStringLiteral("ЦТП 1")), nullptr);
    EXPECT_EQ(SiteBook::find(loaded.sites, QStringLiteral("ЦТП")), nullptr);
}

TEST_F(SiteBookOnDisk, SitesThatWouldNotReadBackAreRefused) {
    put("# мой заголовок\n");
    QString error;
    const Site good = makeSite(QStringLiteral("a"), QStringLiteral("COM1"));
    EXPECT_FALSE(SiteBook::save(
        path(), {good, makeSite(QStringLiteral("A"), QStringLiteral("COM2"))}, &error));
    EXPECT_EQ(error, QStringLiteral("объект «A» описан второй раз"));
    EXPECT_FALSE(SiteBook::save(
        path(), {makeSite(QStringLiteral("a"), QStringLiteral("COM1"), 1, 1200)}, &error));
    EXPECT_EQ(contents(), QByteArray("# мой заголовок\n"));
    ASSERT_TRUE(SiteBook::save(path(), {good}, &error));
    EXPECT_TRUE(contents().startsWith("# мой заголовок\n\n[a]\n")) << contents().toStdString();
}

}  // namespace
