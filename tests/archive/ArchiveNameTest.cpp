#include <gtest/gtest.h>

#include "archive/ArchiveName.h"

namespace {

const QDateTime kWhen(QDate(2026, 12, 9), QTime(14, 3, 12));

ArchiveNameFields fields(const QString& port = "COM3", const QString& title = "СУТОЧНАЯ",
                         int number = 1) {
    return {kWhen, port, QStringLiteral("КСМ-Р"), 9600, number, title, {}};
}

ArchiveNameFields siteFields(const QString& site) {
    ArchiveNameFields named = fields();
    named.site = site;
    return named;
}

struct NameCase {
    const char* title;
    QString tmpl;
    ArchiveNameFields fields;
    QString expected;
};

void PrintTo(const NameCase& c, std::ostream* os) {
    *os << c.title;
}

class Names : public ::testing::TestWithParam<NameCase> {};

TEST_P(Names, TemplateGivesOnePlainFileName) {
    const QString name = ArchiveName::expand(GetParam().tmpl, GetParam().fields);
    EXPECT_EQ(name, GetParam().expected);
    EXPECT_LE(name.toUtf8().size(), ArchiveName::kMaxNameBytes);
}

const QString kLong = QString(300, QChar(u'Ж'));

INSTANTIATE_TEST_SUITE_P(
    ArchiveName, Names,
    ::testing::Values(
        NameCase{"Default", ArchiveName::kDefaultTemplate, fields(),
                 "2026-12-09_14-03-12_COM3_КСМ-Р_01.txt"},
        NameCase{"EveryField", "{speed} {n} {title} {device}{date}.txt",
                 fields("COM1", "Итог", 123), "9600 123 Итог КСМ-Р2026-12-09.txt"},
        NameCase{"DevicePathByItsLastPart", "{port}_{n}.txt", fields("/dev/ttyUSB0"),
                 "ttyUSB0_01.txt"},
        NameCase{"NumberedDeviceWithItsFolder", "{port}_{n}.txt", fields("/dev/pts/0"),
                 "pts-0_01.txt"},
        NameCase{"UnsafeCharactersInAField", "{title}.txt",
                 fields("COM1", "Отчет: A/B\\C *x? \"q\" <1|2>\t"),
                 "Отчет_ A_B_C _x_ _q_ _1_2_.txt"},
        NameCase{"UnsafeCharactersInTheTemplate", "../a/b:{n}.txt", fields(), "_a_b_01.txt"},
        NameCase{"BlanksAndDotsAtTheEndsGo", "  {title}  ", fields("COM1", " ведомость. "),
                 "ведомость"},
        NameCase{"NothingLeftIsStillAName", "{title}", fields("COM1", ""), "form"},
        NameCase{"EmptyTitleKeepsTheExtension", "{title}.txt", fields("COM1", ""), "form.txt"},
        NameCase{"SiteCleanedLikeTheOthers", "{site}_{n}.txt", siteFields("Котельная 3/А: двор"),
                 "Котельная 3_А_ двор_01.txt"},
        NameCase{"NoSiteNoText", "{site}{n}.txt", fields(), "01.txt"},
        NameCase{"UnknownFieldStaysAsWritten", "{foo}_{n}.txt", fields(), "{foo}_01.txt"},
        NameCase{"LongNameCutKeepingTheExtension", "{title}.txt", fields("COM1", kLong),
                 QString(98, QChar(u'Ж')) + ".txt"}),
    [](const auto& info) { return std::string(info.param.title); });

// The index reads back what the default template wrote, whatever the line and the suffixes the
// writer adds: each row's fields go through expand and parse, plain and with every suffix.
struct ReadBackCase {
    const char* title;
    QDateTime received;
    QString port;
    QString portInName;  // how the name holds the port
    QString device;
    int number;
};

void PrintTo(const ReadBackCase& c, std::ostream* os) {
    *os << c.title;
}

class ReadBack : public ::testing::TestWithParam<ReadBackCase> {};

TEST_P(ReadBack, DefaultNameGivesItsFieldsBack) {
    const ReadBackCase& c = GetParam();
    const QString name = ArchiveName::expand(
        ArchiveName::kDefaultTemplate, {c.received, c.port, c.device, 9600, c.number, "Итог", {}});
    for (const QString& written :
         {name, ArchiveName::alternative(name, 2), ArchiveName::incomplete(name),
          ArchiveName::alternative(ArchiveName::incomplete(name), 13)}) {
        SCOPED_TRACE(written.toStdString());
        const std::optional<ArchiveNameFields> read = ArchiveName::parse(written);
        ASSERT_TRUE(read);
        EXPECT_EQ(read->received, c.received);
        EXPECT_EQ(read->port, c.portInName);
        EXPECT_EQ(read->device, c.device);
        EXPECT_EQ(read->number, c.number);
    }
}

INSTANTIATE_TEST_SUITE_P(
    ArchiveName, ReadBack,
    ::testing::Values(
        ReadBackCase{"ComNumber", kWhen, "COM3", "COM3", "КСМ-Р", 1},
        ReadBackCase{"DevicePath", kWhen, "/dev/ttyUSB0", "ttyUSB0", "КСМ-СП", 12},
        ReadBackCase{"NumberedDevice", kWhen, "/dev/pts/0", "pts-0", "КСМ", 100},
        // The collector names a site's network line by its address, whose ':' becomes '_'.
        ReadBackCase{"NetworkLine", kWhen, "tcp://10.0.0.2:4001", "10.0.0.2_4001", "КСМ-Ж", 2},
        ReadBackCase{"NetworkLineIPv6", kWhen, "rfc2217://[::1]:4001", "[__1]_4001", "КСМ-Н", 3},
        ReadBackCase{"LastSecondOfTheYear", QDateTime(QDate(2026, 12, 31), QTime(23, 59, 59)),
                     "COM1", "COM1", "КСМ-С", 99},
        ReadBackCase{"NoType", QDateTime(QDate(2027, 1, 1), QTime(0, 0)), "COM1", "COM1", "", 1}),
    [](const auto& info) { return std::string(info.param.title); });

// Names the template did not write, and one cut short after its time as older forms were.
TEST(ArchiveName, ParseTellsOnlyWhatTheNameHolds) {
    const auto cut = ArchiveName::parse(u"2026-12-09_14-03-12.txt");
    ASSERT_TRUE(cut);
    EXPECT_EQ(cut->received, kWhen);
    EXPECT_EQ(cut->port, "");
    for (const char16_t* other : {u"отчёт котельной.txt", u"2026-13-09_14-03-12_COM3_01.txt",
                                  u"2026-12-09_14-03-12_COM3_КСМ-Р_01.json"})
        EXPECT_FALSE(ArchiveName::parse(other)) << QString::fromUtf16(other).toStdString();
}

TEST(ArchiveName, MonthFoldersAreKnownAgain) {
    for (const QDate& day : {QDate(2026, 1, 1), QDate(2026, 12, 31), QDate(999, 5, 1)})
        EXPECT_TRUE(ArchiveName::isMonthFolder(ArchiveName::monthFolder(day)))
            << day.toString().toStdString();
    for (const char16_t* other :
         {u"2026-13", u"2026-00", u"2026-1", u"202X-12", u"2026_12", u"2026-12x"})
        EXPECT_FALSE(ArchiveName::isMonthFolder(other)) << QString::fromUtf16(other).toStdString();
}

TEST(ArchiveName, UnknownFieldsAreNamed) {
    EXPECT_TRUE(ArchiveName::unknownFields(ArchiveName::kDefaultTemplate).isEmpty());
    EXPECT_EQ(ArchiveName::unknownFields("{date}{Date}{}x{n"), (QStringList{"Date", ""}));
}

TEST(ArchiveName, SiteFolderIsACleanedNameNeverEmpty) {
    EXPECT_EQ(ArchiveName::siteFolder(""), "");
    EXPECT_EQ(ArchiveName::siteFolder("ЦТП 2/Б"), "ЦТП 2_Б");
    EXPECT_EQ(ArchiveName::siteFolder(".."), "_");
    // A name the book takes fits the file system's 255 bytes as a form's name does.
    const QString folder = ArchiveName::siteFolder(QString(150, u'Ж'));
    EXPECT_EQ(folder, QString(ArchiveName::kMaxNameBytes / 2, u'Ж'));
    // Typed composed or decomposed, one name is one folder.
    EXPECT_EQ(ArchiveName::siteFolder(QString::fromUtf8("Сеи\u0306ф")), QStringLiteral("Сейф"));
}

TEST(ArchiveName, AlternativesGoBeforeTheExtension) {
    EXPECT_EQ(ArchiveName::alternative("a_01.txt", 1), "a_01.txt");
    EXPECT_EQ(ArchiveName::alternative("a_01.txt", 2), "a_01-2.txt");
    EXPECT_EQ(ArchiveName::alternative("форма", 3), "форма-3");
}

TEST(ArchiveName, FirstLineSkipsBlankLinesAndFoldsBlanks) {
    EXPECT_EQ(ArchiveName::firstLine("\n   \n  СУТОЧНАЯ   ВЕДОМОСТЬ N1 \nдалее"),
              "СУТОЧНАЯ ВЕДОМОСТЬ N1");
    EXPECT_EQ(ArchiveName::firstLine(" \n\t\n"), "");
    EXPECT_EQ(ArchiveName::firstLine(QString(100, u'x')).size(), 60);
}

}  // namespace
