#pragma once

#include <QList>
#include <QStringList>

#include "archive/UnknownCallers.h"

namespace MonthRound {

// The month's unknown callers as the window lists them: one line per address and what it sent,
// with how often it called and when last, the latest first.
QStringList callerLines(const QList<UnknownCaller>& callers);

}  // namespace MonthRound
