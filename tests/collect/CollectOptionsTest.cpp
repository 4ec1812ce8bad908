#include <gtest/gtest.h>

#include "collect/CollectOptions.h"

namespace {

struct OptionsCase {
    const char* title;
    QStringList args;
    QString error;  // empty: accepted
};

void PrintTo(const OptionsCase& c, std::ostream* os) {
    *os << c.title;
}

class Options : public ::testing::TestWithParam<OptionsCase> {};

TEST_P(Options, AcceptedOrRefusedInRussian) {
    EXPECT_EQ(parseCollectOptions(GetParam().args).error, GetParam().error);
}

INSTANTIATE_TEST_SUITE_P(
    Collect, Options,
    ::testing::Values(
        OptionsCase{"All",
                    {"--port", "/dev/ttyUSB0", "--device=КСМ-СП", "--speed", "19200", "--out",
                     "/srv/a", "--name", "{n}.txt", "--passes", "2", "--json"},
                    ""},
        OptionsCase{"DeviceByIndex", {"--device", "5"}, ""},
        OptionsCase{"DeviceIndexWithZero", {"--device", "05"}, ""},
        OptionsCase{
            "DeviceIndexWithBlank", {"--device", " 5"}, "Неправильно задан тип вычислителя"},
        OptionsCase{"SpeedWithZero", {"--speed", "09600"}, ""},
        OptionsCase{
            "SpeedWithSign", {"--speed", "+9600"}, "Неправильно задана скорость обмена данными"},
        OptionsCase{"EmptyPort", {"--port", ""}, "Неправильно задан порт"},
        OptionsCase{"UnknownDevice", {"--device", "КСМ-X"}, "Неправильно задан тип вычислителя"},
        OptionsCase{"OddSpeed", {"--speed", "9601"}, "Неправильно задана скорость обмена данными"},
        OptionsCase{"UnknownField",
                    {"--name", "{n}{year}.txt"},
                    "Неизвестное поле в шаблоне имени: {year}"},
        OptionsCase{
            "NoPasses", {"--passes", "0"}, "Число проходов должно быть целым и больше нуля"},
        OptionsCase{"MissingValue", {"--port"}, "Не задано значение параметра --port"},
        OptionsCase{"Unknown", {"--verbose", "1"}, "Неизвестный параметр: --verbose"},
        OptionsCase{"UnknownLast", {"--bogus"}, "Неизвестный параметр: --bogus"},
        OptionsCase{"EmptyTemplate", {"--name", ""}, "Шаблон имени файла пуст"},
        OptionsCase{"SiteAndAll",
                    {"--all", "--site", "Котельная 1"},
                    "Параметры --site и --all несовместимы"},
        OptionsCase{"PortAndAll",
                    {"--all", "--port", "/dev/ttyUSB0"},
                    "Параметры --port и --all несовместимы: у каждого объекта свой порт в файле "
                    "объектов"},
        OptionsCase{"BlankSite", {"--site", " "}, "Не задано имя объекта"},
        OptionsCase{"NegativeRetry",
                    {"--retry", "-1"},
                    "Число повторов должно быть целым и не меньше нуля"},
        OptionsCase{"RetriesAtTheBound", {"--retry", "100"}, ""},
        OptionsCase{"UploadWithWait", {"--upload", "--upload-wait=0"}, ""},
        OptionsCase{"UploadWaitNegative",
                    {"--upload-wait", "-5"},
                    "Ожидание общего архива должно быть целым числом секунд, не меньше нуля"},
        OptionsCase{"RetriesPastTheBound",
                    {"--retry", "101"},
                    "Число повторов не может быть больше 100: паузы между попытками растут до 10 "
                    "минут"},
        OptionsCase{"RetriesAtTheTopOfInt",
                    {"--retry", "2147483647"},
                    "Число повторов не может быть больше 100: паузы между попытками растут до 10 "
                    "минут"},
        OptionsCase{"RetriesPastInt",
                    {"--retry=9999999999"},
                    "Число повторов не может быть больше 100: паузы между попытками растут до 10 "
                    "минут"},
        OptionsCase{"RetryDelayNotANumber",
                    {"--retry-delay", "1m"},
                    "Пауза между попытками должна быть целым числом секунд, не меньше нуля"},
        OptionsCase{"JobsAtTheBound", {"--all", "--jobs", "64", "--line-wait", "0"}, ""},
        OptionsCase{"NoJobs", {"--jobs", "0"}, "Число одновременных обменов должно быть целым, от 1 до 64"},
        OptionsCase{"JobsPastTheBound", {"--jobs=65"}, "Число одновременных обменов должно быть целым, от 1 до 64"},
        OptionsCase{"NegativeLineWait",
                    {"--line-wait", "-1"},
                    "Ожидание линии должно быть целым числом секунд, не меньше нуля"},
        OptionsCase{"ListenPortAlone", {"--listen", "4001", "--idle", "60"}, ""},
        OptionsCase{"ListenIpv6", {"--listen", "[::1]:4001"}, ""},
        OptionsCase{"ListenHostName",
                    {"--listen", "office:4001"},
                    "--listen: ожидается [АДРЕС:]ПОРТ, порт от 1 до 65535"},
        OptionsCase{"ListenPortZero",
                    {"--listen", "0.0.0.0:0"},
                    "--listen: ожидается [АДРЕС:]ПОРТ, порт от 1 до 65535"},
        OptionsCase{"ListenWithAll",
                    {"--listen", "4001", "--all"},
                    "--listen не сочетается с --site, --all и --port: объекты модемов берутся из "
                    "книги"},
        OptionsCase{"IdleZero", {"--idle", "0"}, "--idle: ожидается число секунд, не меньше 1"}),
    [](const auto& info) { return std::string(info.param.title); });

TEST(Collect, ValuesReachTheOptions) {
    const CollectOptions o =
        parseCollectOptions({"--port", "COM3", "--device", "КСМ-Ж", "--speed=4800", "--passes", "3",
                             "--wait", "7", "--site=Котельная 1", "--sites",
                             "/etc/tabulon/sites.toml", "--retry", "0", "--retry-delay", "0",
                             "--jobs", "3", "--line-wait", "5"});
    EXPECT_EQ(o.port, "COM3");
    EXPECT_EQ(o.deviceType, 4);
    EXPECT_EQ(o.rate, 4800);
    EXPECT_EQ(o.passes, 3);
    EXPECT_EQ(o.waitSeconds, 7);
    EXPECT_FALSE(o.folder);
    EXPECT_EQ(o.site, "Котельная 1");
    EXPECT_EQ(o.sitesFile, "/etc/tabulon/sites.toml");
    EXPECT_EQ(o.retryDelaySeconds, 0);
    EXPECT_EQ(o.jobs, 3);
    EXPECT_EQ(o.lineWaitSeconds, 5);
}

TEST(Collect, ReportFormKeptPastAWrongOption) {
    EXPECT_TRUE(parseCollectOptions({"--speed", "1", "--out", "/srv/a", "--json"}).json);
}

TEST(Collect, HelpListsEveryExitStatus) {
    const QString usage = collectUsage();
    for (int code = 0; code <= 11; ++code)
        EXPECT_TRUE(usage.contains(QStringLiteral("\n  %1  ").arg(code, 2))) << code;
}

}  // namespace
