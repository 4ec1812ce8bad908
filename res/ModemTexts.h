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

// The progress strip once the call is up: `connect` is the modem's line, "CONNECT 9600/RLP".
QString connected(const QString& connect);

// The record's short words for the windows, one per way a call fails.
inline const QString kRecordBusy = QStringLiteral("номер занят");
inline const QString kRecordNoAnswer = QStringLiteral("вызов без ответа");
inline const QString kRecordNoCarrier = QStringLiteral("нет несущей");
inline const QString kRecordNoDialtone = QStringLiteral("модем без сети");
inline const QString kRecordError = QStringLiteral("модем отклонил команду");
inline const QString kRecordBearerRefused = QStringLiteral("тип соединения не поддержан");
inline const QString kRecordModemSilent = QStringLiteral("модем не отвечает");
inline const QString kRecordDialTimeout = QStringLiteral("нет соединения за время набора");

// What each exit status of tabulon-collect for a failed call means (see kCollectFormsReceived).
inline const QString kCollectBusy = QStringLiteral("номер объекта занят (BUSY)");
inline const QString kCollectNoAnswer =
    QStringLiteral("модем объекта не ответил на вызов (NO ANSWER)");
inline const QString kCollectNoCarrier = QStringLiteral(
    "соединение с модемом объекта не установлено (NO CARRIER; также несовпадение bearer)");
inline const QString kCollectNoDialtone = QStringLiteral("модем не находит сети (NO DIALTONE)");
inline const QString kCollectError = QStringLiteral("модем отклонил команду (ERROR)");
inline const QString kCollectBearerRefused =
    QStringLiteral("модем не поддерживает заданный bearer (ERROR в ответ на bearer)");
inline const QString kCollectModemSilent = QStringLiteral("модем не отвечает на команды");
inline const QString kCollectDialTimeout =
    QStringLiteral("соединение не установлено за время dial_timeout");

}  // namespace modemTexts
