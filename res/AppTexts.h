#pragma once

#include <QString>

// The program's own window: the buttons' words, the help window's title, the timer that does
// not start.
namespace texts {

inline const QString kHelpTitle = QStringLiteral("Tabulon - Справка");

inline const QString kOk = QStringLiteral("ОК");
inline const QString kCancel = QStringLiteral("Отмена");
inline const QString kYes = QStringLiteral("Да");
inline const QString kNo = QStringLiteral("Нет");
inline const QString kTimerStartFailed = QStringLiteral("Stating timer error");

}  // namespace texts
