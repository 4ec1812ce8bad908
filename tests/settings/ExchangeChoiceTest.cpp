#include <gtest/gtest.h>

#include "settings/ExchangeChoice.h"

namespace {

// The defaults and every item of the dialog's lists pass the connect command's checks, and the
// speeds as numbers stand in the order of their items.
TEST(ExchangeChoiceItems, EveryItemAndTheDefaultsAreAccepted) {
    EXPECT_TRUE(isExchangePort(kDefaultPort));
    EXPECT_TRUE(exchangeDeviceType(kDefaultDevice));
    EXPECT_TRUE(exchangeRate(kDefaultRate));
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
