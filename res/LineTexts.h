#pragma once

#include <QString>

// The lines a calculator is reached by: the serial ports, their devices and the network
// servers, and why one does not open.
namespace texts {

inline const QString kNoSerialPorts = QStringLiteral("Tabulon: последовательных портов не найдено");
inline const QString kNetworkPort = QStringLiteral("Сетевой порт");
inline const QString kNetworkPortLower = kNetworkPort.toLower();
inline const QString kUnplugged = QStringLiteral("отключено");
// A port that does not open, and the device behind a COM number: %1 is where the port was
// looked for ("/dev/ttyUSB0 (COM3)"), or the server's address.
inline const QString kManualChapter = QStringLiteral("«Подключение вычислителя»");
inline const QString kNoDevice = QStringLiteral("нет устройства");
QString portBusy(const QString& where);
QString portBusyUser(const QString& program, int pid);
QString portBusyProbably(const QString& program);
QString portBusyHelp();
// A network server's line taken by another exchange (of this program or another) all the wait.
QString serverLineBusy(const QString& address);
// While an opening waits for a line another exchange holds: the progress strip, the log.
QString lineWaiting(int seconds);
QString serverRefused(const QString& address);
QString serverTimedOut(const QString& address);
QString serverUnreachable(const QString& address);
QString serverReset(const QString& address);
QString serverNotRfc2217(const QString& address);
QString rfc2217Unavailable(const QString& address);
QString serverUnknownHost(const QString& address);
QString badNetworkAddress(const QString& address);
QString systemError(const QString& where, const QString& systemText, int error);
QString noDeviceBehind(const QString& com);
QString noDevice(const QString& where);
QString noPortAccess(const QString& where);
QString notSerialPort(const QString& where);
QString rememberedUnplugged(const QString& device);

}  // namespace texts
