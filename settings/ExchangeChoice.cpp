#include "settings/ExchangeChoice.h"

#include "res/Texts.h"

const QStringList& exchangePortItems() {
    static const QStringList items{"COM1", "COM2", "COM3", "COM4", "COM5",
                                   "COM6", "COM7", "COM8", "COM9"};
    return items;
}

const QStringList& exchangeDeviceItems() {
    static const QStringList items = [] {
        QStringList list;
        for (int type : {5, 0, 1, 2, 3, 4}) {
            const std::string_view name = deviceTypeInfo(DeviceType(type)).name;
            list << QString::fromUtf8(name.data(), qsizetype(name.size()));
        }
        return list;
    }();
    return items;
}

const QList<int>& exchangeRates() {
    static const QList<int> rates{2400, 4800, 9600, 19200};
    return rates;
}

const QStringList& exchangeRateItems() {
    static const QStringList items = [] {
        QStringList list;
        for (int rate : exchangeRates()) list << QString::number(rate);
        return list;
    }();
    return items;
}

bool isExchangePort(const QString& port) {
    return exchangePortItems().contains(port);
}

std::optional<DeviceType> exchangeDeviceType(const QString& device) {
    const QByteArray utf8 = device.toUtf8();
    return deviceTypeFromName(std::string_view(utf8.data(), std::size_t(utf8.size())));
}

std::optional<int> exchangeRate(const QString& rate) {
    const int index = exchangeRateItems().indexOf(rate);
    if (index < 0) return std::nullopt;
    return exchangeRates().at(index);
}

QString choiceVerdictText(ChoiceVerdict verdict) {
    switch (verdict) {
        case ChoiceVerdict::BadPort:
            return texts::kBadPort;
        case ChoiceVerdict::BadDevice:
            return texts::kBadDevice;
        case ChoiceVerdict::BadRate:
            return texts::kBadRate;
        case ChoiceVerdict::Accepted:
            break;
    }
    return {};
}
