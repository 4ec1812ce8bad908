#include <gtest/gtest.h>

#include "settings/ExchangeChoice.h"

namespace {

struct VerdictCase {
    const char* port;
    const char* device;
    const char* rate;
    ChoiceVerdict verdict;
    const char* text;  // what the operator is told
};

std::ostream& operator<<(std::ostream& os, const VerdictCase& c) {
    return os << c.port << "|" << c.device << "|" << c.rate;
}

class ExchangeChoiceVerdict : public testing::TestWithParam<VerdictCase> {};

TEST_P(ExchangeChoiceVerdict, FirstWrongPartNamed) {
    const VerdictCase& c = GetParam();
    const ChoiceVerdict verdict = checkExchangeChoice(
        QString::fromUtf8(c.port), QString::fromUtf8(c.device), QString::fromUtf8(c.rate));
    EXPECT_EQ(verdict, c.verdict);
    EXPECT_EQ(choiceVerdictText(verdict), QString::fromUtf8(c.text));
}

INSTANTIATE_TEST_SUITE_P(
    Table, ExchangeChoiceVerdict,
    testing::Values(
        VerdictCase{"COM1", "КСМ-Р", "9600", ChoiceVerdict::Accepted, ""},
        VerdictCase{"COM9", "КСМ", "19200", ChoiceVerdict::Accepted, ""},
        VerdictCase{"COM10", "КСМ-Р", "9600", ChoiceVerdict::BadPort, "Неправильно задан порт"},
        VerdictCase{"LPT1", "xyz", "1", ChoiceVerdict::BadPort, "Неправильно задан порт"},
        VerdictCase{"COM2", "ксм-р", "1", ChoiceVerdict::BadDevice,
                    "Неправильно задан тип вычислителя"},
        VerdictCase{"COM2", "КСМ-Ж", "09600", ChoiceVerdict::BadRate,
                    "Неправильно задана скорость обмена данными"},
        VerdictCase{"COM2", "КСМ-Ж", "1200", ChoiceVerdict::BadRate,
                    "Неправильно задана скорость обмена данными"}));

// The defaults and every item of the dialog's lists pass the connect command's checks, and the
// speeds as numbers stand in the order of their items.
TEST(ExchangeChoiceItems, EveryItemAndTheDefaultsAreAccepted) {
    EXPECT_EQ(checkExchangeChoice(kDefaultPort, kDefaultDevice, kDefaultRate),
              ChoiceVerdict::Accepted);
    EXPECT_EQ(exchangePortItems().size(), 9);
    for (const QString& port : exchangePortItems())
        EXPECT_TRUE(isExchangePort(port)) << port.toStdString();
    EXPECT_EQ(exchangeDeviceItems().size(), kDeviceTypeCount);
    for (const QString& device : exchangeDeviceItems())
        EXPECT_TRUE(exchangeDeviceType(device)) << device.toStdString();
    ASSERT_EQ(exchangeRateItems().size(), exchangeRates().size());
    for (int i = 0; i < exchangeRates().size(); ++i)
        EXPECT_EQ(exchangeRate(exchangeRateItems().at(i)), exchangeRates().at(i));
}

}  // namespace
