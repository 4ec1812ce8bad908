#pragma once

#include <QString>
#include <QStringList>
#include <optional>

#include "acquisition/DeviceType.h"

struct ReceiveControl;

// What an exchange may be asked to use: the ports, calculator types and speeds the operator
// chooses from, the choice made when nothing is known yet, and the one check of a choice that
// the connect command, the site book, the window "Объекты" and tabulon-collect apply, each with
// its own rules below. A new speed, port or reading is added here once.

// How a type or a speed may be written. Items: exactly as the lists of "Настройки" show it,
// so a choice typed in another letter case, with a space or a leading zero is refused.
// Numbers: also by digits alone, a type by its number 0..5 ("4", "04"), a speed with leading
// zeros ("09600"); no sign, no blanks.
enum class Spelling { Items, Numbers };

// The type named `name`, or given by its number where `spelling` allows it.
std::optional<DeviceType> exchangeDeviceType(const QString& name, Spelling spelling);
// The name of `type` as the lists show it and the files store it ("КСМ-Р"); empty outside 0..5.
// Inline, so that the defaults below need nothing linked (the archive's dialog shows them).
inline QString exchangeDeviceName(int type) {
    if (type < 0 || type >= kDeviceTypeCount) return {};
    const std::string_view name = deviceTypeInfo(DeviceType(type)).name;
    return QString::fromUtf8(name.data(), qsizetype(name.size()));
}

// The choice made when nothing is known yet; a site added by hand starts with it too.
inline constexpr DeviceType kDefaultDeviceType = 0;  // КСМ-Р
inline constexpr int kDefaultSpeed = 9600;
inline const QString kDefaultPort = QStringLiteral("COM1");
inline const QString kDefaultDevice = exchangeDeviceName(kDefaultDeviceType);
inline const QString kDefaultRate = QString::number(kDefaultSpeed);

// The items of the three lists of "Настройки", top to bottom. The type list is not in type
// order: each name stands above the longer names that begin with it, which presetting relies on.
const QStringList& exchangePortItems();
const QStringList& exchangeDeviceItems();
const QStringList& exchangeRateItems();
// The speeds as numbers, in the order of their items.
const QList<int>& exchangeRates();

// Which ports a choice may name.
enum class PortNames {
    Listed,  // COM1..COM9 exactly, the items of "Настройки"
    Lines,   // also a device path under /dev/ or a well-formed "tcp://host:port",
             // "rfc2217://host:port": what a site of the book may name
    Any,     // any name that is not empty, opened as it stands
};

bool isExchangePort(const QString& port, PortNames names);
std::optional<int> exchangeRate(const QString& rate, Spelling spelling);

// How each reader of a choice reads it. The operator's lists take their items; a site names
// its line, and its book is written by hand; tabulon-collect opens whatever line its command
// line names, and scripts pass numbers.
struct ChoiceRules {
    PortNames ports;
    Spelling spelling;
};
inline constexpr ChoiceRules kConnectRules{PortNames::Listed, Spelling::Items};
inline constexpr ChoiceRules kSitesWindowRules{PortNames::Lines, Spelling::Items};
inline constexpr ChoiceRules kSiteBookRules{PortNames::Lines, Spelling::Numbers};
inline constexpr ChoiceRules kCollectRules{PortNames::Any, Spelling::Numbers};

// Which of the three parts of a choice is wrong, checked in this order.
enum class ChoiceVerdict { Accepted, BadPort, BadDevice, BadRate };

struct CheckedChoice {
    ChoiceVerdict verdict = ChoiceVerdict::Accepted;
    // The parts accepted before the first wrong one; all three when the choice is accepted.
    std::optional<QString> port;
    std::optional<DeviceType> type;
    std::optional<int> rate;
};

// Port, type and speed checked in this order under `rules`.
CheckedChoice checkChoice(const QString& port, const QString& device, const QString& rate,
                          ChoiceRules rules);

// The connect command: the choice checked under kConnectRules, each accepted part copied into
// the block at once, so a rejection leaves the earlier ones already copied (nothing reads them
// before the next accepted connect overwrites all three).
ChoiceVerdict applyConnectChoice(const QString& port, const QString& device, const QString& rate,
                                 ReceiveControl& rc);

// The operator's message for a rejected choice; empty for Accepted.
QString choiceVerdictText(ChoiceVerdict verdict);
