#pragma once

#include <QString>

// What the operator reads about a call through a modem: the progress strip while the number is
// dialled and why a call did not come about. Each failure names the modem's own word for it, so
// that a record or a log line can be matched with the modem's manual.
namespace modemTexts {

inline const QString kDialling = QStringLiteral("Набор номера…");

inline const QString kBusy = QStringLiteral("Номер объекта занят (BUSY)");
inline const QString kNoAnswer = QStringLiteral("Модем объекта не отвечает на вызов (NO ANSWER)");
inline const QString kNoCarrier =
    QStringLiteral("Соединение с модемом объекта не установлено (NO CARRIER)");
inline const QString kNoDialtone = QStringLiteral("Модем не находит сети (NO DIALTONE)");
inline const QString kError = QStringLiteral("Модем отклонил команду (ERROR)");
inline const QString kBearerRefused =
    QStringLiteral("Модем не поддерживает заданный тип соединения (ERROR в ответ на bearer)");
inline const QString kModemSilent = QStringLiteral("Модем не отвечает");

// No result came within the dial time-out of `seconds`.
QString dialTimedOut(int seconds);

}  // namespace modemTexts
