#include <gtest/gtest.h>

#include "settings/ExchangeChoice.h"

namespace {

// The defaults and every item of the dialog's lists pass the connect command's checks, each type
// name reads back as the type it names, and the speeds as numbers stand in the order of their
// items.
TEST(ExchangeChoiceItems, EveryItemAndTheDefaultsAreAccepted) {
    EXPECT_TRUE(isExchangePort(kDefaultPort, PortNames::Listed));
    EXPECT_EQ(exchangeDeviceType(kDefaultDevice, Spelling::Items), kDefaultDeviceType);
    EXPECT_EQ(exchangeRate(kDefaultRate, Spelling::Items), kDefaultSpeed);
    EXPECT_EQ(exchangePortItems().size(), 9);
    for (const QString& port : exchangePortItems())
        EXPECT_TRUE(isExchangePort(port, PortNames::Listed)) << port.toStdString();
    EXPECT_EQ(exchangeDeviceItems().size(), kDeviceTypeCount);
    for (const QString& device : exchangeDeviceItems()) {
        const std::optional<DeviceType> type = exchangeDeviceType(device, Spelling::Items);
        ASSERT_TRUE(type) << device.toStdString();
        EXPECT_EQ(exchangeDeviceName(*type), device);
    }
    ASSERT_EQ(exchangeRateItems().size(), exchangeRates().size());
    for (int i = 0; i < exchangeRates().size(); ++i)
        EXPECT_EQ(exchangeRate(exchangeRateItems().at(i), Spelling::Items), exchangeRates().at(i));
}

}  // namespace
