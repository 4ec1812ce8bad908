#include "ports/PortTexts.h"

#include <QStringList>
#include <cerrno>
#include <cstring>

#include "platform/NetworkSerialPort.h"
#include "res/Texts.h"

namespace porttext {

namespace {

QString q(const std::string& text) {
    return QString::fromStdString(text);
}

QString busyCause(const QString& where, const PortUser& user) {
    QString text = texts::portBusy(where);
    if (!user.program.empty() && user.certain)
        text += texts::portBusyUser(q(user.program), user.pid);
    else if (!user.program.empty())
        text += texts::portBusyProbably(q(user.program));
    else
        text += QLatin1Char('.');
    return text + texts::portBusyHelp();
}

// Why network serial server `address` could not be used as a line.
QString networkCause(const QString& address, int error) {
    switch (error) {
        case ECONNREFUSED:
            return texts::serverRefused(address);
        case ETIMEDOUT:
            return texts::serverTimedOut(address);
        case EHOSTUNREACH:
        case ENETUNREACH:
            return texts::serverUnreachable(address);
        case ECONNRESET:
            return texts::serverReset(address);
        case EPROTONOSUPPORT:
            return texts::serverNotRfc2217(address);
        case EBUSY:
            return texts::serverLineBusy(address);
        case kErrorUnknownHost:
            return texts::serverUnknownHost(address);
        case kErrorBadAddress:
            return texts::badNetworkAddress(address);
        case kErrorProtocolUnavailable:
            return texts::rfc2217Unavailable(address);
        default:
            return texts::systemError(address, QString::fromLocal8Bit(std::strerror(error)), error);
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
    if (path.empty() && (error == ENODEV || error == ENOENT)) return texts::noDeviceBehind(com);
    switch (error) {
        case ENOENT:
        case ENODEV:
        case ENXIO:
            return texts::noDevice(where);
        case EACCES:
        case EPERM:
            return texts::noPortAccess(where);
        case EBUSY:
        case EWOULDBLOCK:
            return busyCause(where, user);
        case ENOTTY:
            return texts::notSerialPort(where);
        default:
            return texts::systemError(where, QString::fromLocal8Bit(std::strerror(error)), error);
    }
}

QString deviceLine(const QString& name, const ComTarget& target, const std::string& remembered) {
    const QString prefix = name + QStringLiteral(" — ");
    switch (target.kind) {
        case ComTarget::Kind::Device:
            if (target.description.empty()) return prefix + q(target.path);
            return prefix + q(target.description) + QStringLiteral(", ") + q(target.path);
        case ComTarget::Kind::Address:
            return prefix + texts::kNetworkPortLower + u' ' + q(target.path);
        case ComTarget::Kind::None:
            break;
    }
    if (remembered.empty()) return prefix + texts::kNoDevice;
    return prefix + texts::kNoDevice + texts::rememberedUnplugged(q(remembered));
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
