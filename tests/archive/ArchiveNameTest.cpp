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
