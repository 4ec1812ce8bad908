#include "settings/ExchangeChoice.h"

#include <algorithm>

#include "acquisition/ReceiveControl.h"
#include "platform/NetworkAddress.h"
#include "res/Texts.h"

namespace {

// A number written with ASCII digits alone, leading zeros allowed; nullopt for anything else.
std::optional<int> digitsValue(const QString& text) {
    const bool digits = !text.isEmpty() && std::all_of(text.cbegin(), text.cend(), [](QChar c) {
        return c.unicode() >= u'0' && c.unicode() <= u'9';
    });
    bool fits = false;
    const int value = digits ? text.toInt(&fits) : 0;
    if (!fits) return std::nullopt;
    return value;
}

// An absolute path into /dev/ that cannot climb out of it.
bool isDevicePath(const QString& port) {
    return port.size() > 5 && port.startsWith(QStringLiteral("/dev/")) &&
           !port.contains(QStringLiteral("/../"));
}

}  // namespace

std::optional<DeviceType> exchangeDeviceType(const QString& name, Spelling spelling) {
    for (int type = 0; type < kDeviceTypeCount; ++type)
        if (name == exchangeDeviceName(type)) return DeviceType(type);
    if (spelling == Spelling::Items) return std::nullopt;
    const std::optional<int> number = digitsValue(name);
    if (!number || *number >= kDeviceTypeCount) return std::nullopt;
    return DeviceType(*number);
}

const QStringList& exchangePortItems() {
    static const QStringList items{"COM1", "COM2", "COM3", "COM4", "COM5",
                                   "COM6", "COM7", "COM8", "COM9"};
    return items;
}

const QStringList& exchangeDeviceItems() {
    static const QStringList items = [] {
        QStringList list;
        for (int type : {5, 0, 1, 2, 3, 4}) list << exchangeDeviceName(type);
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

bool isExchangePort(const QString& port, PortNames names) {
    if (exchangePortItems().contains(port)) return true;
    switch (names) {
        case PortNames::Listed:
            return false;
        case PortNames::Lines: {
            const std::string line = port.toStdString();
            if (isNetworkAddress(line)) return parseNetworkAddress(line).has_value();
            return isDevicePath(port);
        }
        case PortNames::Any:
            return !port.isEmpty();
    }
    return false;
}

std::optional<int> exchangeRate(const QString& rate, Spelling spelling) {
    if (spelling == Spelling::Items) {
        const qsizetype index = exchangeRateItems().indexOf(rate);
        if (index < 0) return std::nullopt;
        return exchangeRates().at(index);
    }
    const std::optional<int> value = digitsValue(rate);
    if (!value || !exchangeRates().contains(*value)) return std::nullopt;
    return value;
}

CheckedChoice checkChoice(const QString& port, const QString& device, const QString& rate,
                          ChoiceRules rules) {
    CheckedChoice checked;
    if (!isExchangePort(port, rules.ports)) {
        checked.verdict = ChoiceVerdict::BadPort;
        return checked;
    }
    checked.port = port;
    checked.type = exchangeDeviceType(device, rules.spelling);
    if (!checked.type) {
        checked.verdict = ChoiceVerdict::BadDevice;
        return checked;
    }
    checked.rate = exchangeRate(rate, rules.spelling);
    if (!checked.rate) checked.verdict = ChoiceVerdict::BadRate;
    return checked;
}

ChoiceVerdict applyConnectChoice(const QString& port, const QString& device, const QString& rate,
                                 ReceiveControl& rc) {
    const CheckedChoice checked = checkChoice(port, device, rate, kConnectRules);
    if (checked.port) rc.m_strPort = checked.port->toStdString();
    if (checked.type) rc.m_nDeviceType = *checked.type;
    if (checked.rate) rc.m_nRate = *checked.rate;
    return checked.verdict;
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
