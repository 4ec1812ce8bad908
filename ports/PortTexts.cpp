#include "ports/PortTexts.h"

#include <QStringList>
#include <cerrno>
#include <cstring>

#include "platform/NetworkSerialPort.h"

namespace porttext {

namespace {

QString q(const std::string& text) {
    return QString::fromStdString(text);
}

QString busyCause(const QString& where, const PortUser& user) {
    QString text = QStringLiteral("Порт %1 занят другой программой").arg(where);
    if (!user.program.empty() && user.certain)
        text += QStringLiteral(": %1 (процесс %2).").arg(q(user.program)).arg(user.pid);
    else if (!user.program.empty())
        text += QStringLiteral(", вероятно %1.").arg(q(user.program));
    else
        text += QLatin1Char('.');
    return text + QStringLiteral(" Как освободить порт, сказано в справке, в главе %1.")
                      .arg(kManualChapter);
}

// Why network serial server `address` could not be used as a line.
QString networkCause(const QString& address, int error) {
    switch (error) {
        case ECONNREFUSED:
            return QStringLiteral("Сервер %1 отказал в соединении: по этому адресу никто не ждёт.")
                .arg(address);
        case ETIMEDOUT:
            return QStringLiteral("Сервер %1 не ответил вовремя.").arg(address);
        case EHOSTUNREACH:
        case ENETUNREACH:
            return QStringLiteral("Сервер %1 недоступен: нет пути к нему по сети.").arg(address);
        case ECONNRESET:
            return QStringLiteral("Сервер %1 разорвал соединение сразу: его COM-порт отсутствует "
                                  "или занят.")
                .arg(address);
        case EPROTONOSUPPORT:
            return QStringLiteral("Сервер %1 не управляет портом по RFC 2217; для него нужен "
                                  "адрес tcp://.")
                .arg(address);
        case kErrorUnknownHost:
            return QStringLiteral("Имя сервера в адресе %1 не найдено.").arg(address);
        case kErrorBadAddress:
            return QStringLiteral("Неверный сетевой адрес %1: нужно tcp://узел:порт или "
                                  "rfc2217://узел:порт.")
                .arg(address);
        default:
            return QStringLiteral("%1: %2 (ошибка %3).")
                .arg(address, QString::fromLocal8Bit(std::strerror(error)))
                .arg(error);
    }
}

}  // namespace

QString openFailureCause(const std::string& name, const std::string& path, int error,
                         const PortUser& user) {
    if (isNetworkAddress(path)) return networkCause(q(path), error);
    const QString com = q(name);
    // The path first: that is what the operator can look for; the number when they differ.
    const QString where =
        path.empty() || path == name ? com : QStringLiteral("%1 (%2)").arg(q(path), com);
    if (path.empty() && (error == ENODEV || error == ENOENT))
        return QStringLiteral("За портом %1 нет устройства: адаптер не подключён.").arg(com);
    switch (error) {
        case ENOENT:
        case ENODEV:
        case ENXIO:
            return QStringLiteral("Нет устройства %1: адаптер не подключён.").arg(where);
        case EACCES:
        case EPERM:
            return QStringLiteral(
                       "Нет доступа к %1: пользователь не входит в группу dialout. Выполните "
                       "команду «sudo usermod -aG dialout $USER» и войдите в систему заново.")
                .arg(where);
        case EBUSY:
        case EWOULDBLOCK:
            return busyCause(where, user);
        case ENOTTY:
            return QStringLiteral("%1 — не последовательный порт.").arg(where);
        default:
            return QStringLiteral("%1: %2 (ошибка %3).")
                .arg(where, QString::fromLocal8Bit(std::strerror(error)))
                .arg(error);
    }
}

QString deviceLine(const QString& name, const ComTarget& target, const std::string& remembered) {
    const QString prefix = name + QStringLiteral(" — ");
    switch (target.kind) {
        case ComTarget::Kind::Device:
            if (target.description.empty()) return prefix + q(target.path);
            return prefix + q(target.description) + QStringLiteral(", ") + q(target.path);
        case ComTarget::Kind::Address:
            return prefix + QStringLiteral("сетевой порт ") + q(target.path);
        case ComTarget::Kind::None:
            break;
    }
    if (remembered.empty()) return prefix + kNoDevice;
    return prefix + kNoDevice + QStringLiteral(" (%1 отключён)").arg(q(remembered));
}

QString portListLine(int com, const std::string& path, const std::string& byId,
                     const std::string& description) {
    const auto orDash = [](const std::string& text) {
        return text.empty() ? QStringLiteral("-") : q(text);
    };
    return QStringList{com ? QStringLiteral("COM%1").arg(com) : QStringLiteral("-"), orDash(path),
                       orDash(byId), orDash(description)}
        .join(QStringLiteral("  "));
}

}  // namespace porttext
