#pragma once

#include <QString>

// The exchange with the calculator as the windows and the worker tell it: the worker's
// messages, the progress line, the connect checks, the settings file, closing the receiving
// window, a text that comes in pieces.
namespace texts {

// The worker's messages, exactly as the operator knows them.
inline const QString kPortInitFailed = QStringLiteral("Ошибка при инициализации COM-порта");
inline const QString kLinkNotEstablished = QStringLiteral("Связь с вычислителем не установлена");
inline const QString kBadReply = QStringLiteral("Ошибка при приеме данных от вычислителя");
inline const QString kLinkBroken = QStringLiteral("Связь с вычислителем нарушена");
inline const QString kStartQuestion =
    QStringLiteral("Связь с вычислителем установлена.\nНачать прием данных?");

// "GetCommState failed with error %d.\n" and its SetCommState sibling.
QString getStateFailed(int error);
QString setStateFailed(int error);

// The byte counter beside the progress bar: "<n> байт прочитано".
QString byteCounterText(qint64 count);

// The question after a reading pass, carrying the number of characters it stored.
QString closingReportText(qint64 count);

// The settings' checks before an exchange starts.
inline const QString kBadPort = QStringLiteral("Неправильно задан порт");
inline const QString kBadDevice = QStringLiteral("Неправильно задан тип вычислителя");
inline const QString kBadRate = QStringLiteral("Неправильно задана скорость обмена данными");

// The settings file.
inline const QString kCannotOpenIni = QStringLiteral("Невозможно открыть файл Tabulon.ini");
inline const QString kBadIniFormat = QStringLiteral("Неверный формат файла Tabulon.ini");

// Closing the window that is receiving.
inline const QString kCloseGuard = QStringLiteral(
    "Документ не может быть закрыт до окончания передачи данных!\n"
    "Остановить передачу данных?");

// A text that never brings a form end is cut into pieces, each in a window of its own; the
// windows between the first piece and the last close once the archive holds their pieces.
// %1 windows closed so far in this exchange.
inline const QString kStreamPiecesClosed = QStringLiteral(
    "Текст без конца формы приходит частями: закрыто окон частей между первой и последней: %1, "
    "эти части сохранены в архиве");
inline const QString kStreamPiecesKeptNoArchive = QStringLiteral(
    "Текст без конца формы приходит частями: окна частей не закрываются, так как архив не "
    "ведется");
inline const QString kStreamPiecesKeptArchiveFailed = QStringLiteral(
    "Текст без конца формы приходит частями: окна частей не закрываются, так как запись в архив "
    "не удалась");

}  // namespace texts
