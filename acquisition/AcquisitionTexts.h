#pragma once

#include <QString>

// The worker's messages to the operator, exactly as the operator knows them.
namespace acqtext {
inline const QString kPortInitFailed = QStringLiteral("Ошибка при инициализации COM-порта");
inline const QString kLinkNotEstablished = QStringLiteral("Связь с вычислителем не установлена");
inline const QString kBadReply = QStringLiteral("Ошибка при приеме данных от вычислителя");
inline const QString kLinkBroken = QStringLiteral("Связь с вычислителем нарушена");
inline const QString kStartQuestion =
    QStringLiteral("Связь с вычислителем установлена.\nНачать прием данных?");

// "GetCommState failed with error %d.\n" and its SetCommState sibling.
QString GetStateFailed(int error);
QString SetStateFailed(int error);

// The byte counter beside the progress bar: "<n> байт прочитано".
QString ByteCounterText(int count);

// The question after a reading pass, carrying the number of characters it stored.
QString ClosingReportText(int count);
}  // namespace acqtext
