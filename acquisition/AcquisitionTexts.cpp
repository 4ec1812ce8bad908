#include "acquisition/AcquisitionTexts.h"

#include <cerrno>

#include "platform/NetworkSerialPort.h"

namespace acqtext {

std::optional<QString> OpenFailureCause(int error) {
    switch (error) {
        case ECONNREFUSED:
            return QStringLiteral("Сервер отказал в соединении: по этому адресу никто не ждет");
        case ETIMEDOUT:
            return QStringLiteral("Сервер не ответил вовремя");
        case EHOSTUNREACH:
        case ENETUNREACH:
            return QStringLiteral("Сервер недоступен");
        case ECONNRESET:
            return QStringLiteral(
                "Сервер разорвал соединение сразу после подключения "
                "(его COM-порт отсутствует или занят)");
        case EPROTONOSUPPORT:
            return QStringLiteral("Сервер не поддерживает управление портом по RFC 2217");
        case kErrorUnknownHost:
            return QStringLiteral("Имя сервера не найдено");
        case kErrorBadAddress:
            return QStringLiteral(
                "Неверный сетевой адрес (нужно tcp://узел:порт или "
                "rfc2217://узел:порт)");
        default:
            return std::nullopt;
    }
}

QString GetStateFailed(int error) {
    return QString::asprintf("GetCommState failed with error %d.\n", error);
}

QString SetStateFailed(int error) {
    return QString::asprintf("SetCommState failed with error %d.\n", error);
}

QString ByteCounterText(int count) {
    // The pass start shows the fixed text; it reads the same as the formatted zero.
    if (count == 0) return QStringLiteral("0 байт прочитано");
    return QString::asprintf("%d%s", count, " байт прочитано");
}

QString ClosingReportText(int count) {
    return QString::asprintf("%s%d%s", "Чтение данных в объеме ", count,
                             " байт завершено. Продолжить?");
}

}  // namespace acqtext
