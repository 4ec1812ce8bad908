#pragma once

#include <QString>
#include <QStringList>
#include <optional>

#include "acquisition/DeviceType.h"

// What an exchange may be asked to use: the ports, calculator types and speeds the operator
// chooses from, the choice made when nothing is known yet, and the checks that the connect
// command and tabulon-collect apply to a choice. The settings dialog, the connect command and the
// collector all read them here, so a new speed or port is added once.

inline const QString kDefaultPort = QStringLiteral("COM1");
inline const QString kDefaultDevice = QStringLiteral("КСМ-Р");
inline const QString kDefaultRate = QStringLiteral("9600");

// The items of the three lists of "Настройки", top to bottom. The type list is not in type
// order: each name stands above the longer names that begin with it, which presetting relies on.
const QStringList& exchangePortItems();
const QStringList& exchangeDeviceItems();
const QStringList& exchangeRateItems();
// The speeds as numbers, in the order of their items.
const QList<int>& exchangeRates();

// Which of the three parts of a choice is wrong, checked in this order.
enum class ChoiceVerdict { Accepted, BadPort, BadDevice, BadRate };

// Exact matches only: a choice typed into the dialog in another letter case, with a space or a
// leading zero is not one of the items.
bool isExchangePort(const QString& port);
std::optional<DeviceType> exchangeDeviceType(const QString& device);
std::optional<int> exchangeRate(const QString& rate);

// The operator's message for a rejected choice; empty for Accepted.
QString choiceVerdictText(ChoiceVerdict verdict);
