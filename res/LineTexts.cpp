#include "res/LineTexts.h"

namespace texts {

QString portBusy(const QString& where) {
    return QStringLiteral("Порт %1 занят другой программой").arg(where);
}

QString portBusyUser(const QString& program, int pid) {
    return QStringLiteral(": %1 (процесс %2).").arg(program).arg(pid);
}

QString portBusyProbably(const QString& program) {
    return QStringLiteral(", вероятно %1.").arg(program);
}

QString portBusyHelp() {
    return QStringLiteral(" Как освободить порт, сказано в справке, в главе %1.")
        .arg(kManualChapter);
}

QString serverLineBusy(const QString& address) {
    return QStringLiteral("Линия сервера %1 занята другим обменом: дождаться её освобождения "
                          "не удалось.")
        .arg(address);
}

QString lineWaiting(int seconds) {
    return QStringLiteral("Линия занята другим обменом: ожидание до %1 с…").arg(seconds);
}

QString serverRefused(const QString& address) {
    return QStringLiteral("Сервер %1 отказал в соединении: по этому адресу никто не ждёт.")
        .arg(address);
}

QString serverTimedOut(const QString& address) {
    return QStringLiteral("Сервер %1 не ответил вовремя.").arg(address);
}

QString serverUnreachable(const QString& address) {
    return QStringLiteral("Сервер %1 недоступен: нет пути к нему по сети.").arg(address);
}

QString serverReset(const QString& address) {
    return QStringLiteral(
               "Сервер %1 разорвал соединение сразу: его COM-порт отсутствует или занят.")
        .arg(address);
}

QString serverNotRfc2217(const QString& address) {
    return QStringLiteral("Сервер %1 не управляет портом по RFC 2217; для него нужен адрес tcp://.")
        .arg(address);
}

QString rfc2217Unavailable(const QString& address) {
    return QStringLiteral("Адрес %1: протокол RFC 2217 в Tabulon для Windows недоступен. Переведите "
                          "сервер в простой режим (raw) и укажите адрес tcp://.")
        .arg(address);
}

QString serverUnknownHost(const QString& address) {
    return QStringLiteral("Имя сервера в адресе %1 не найдено.").arg(address);
}

QString badNetworkAddress(const QString& address) {
    return QStringLiteral(
               "Неверный сетевой адрес %1: нужно tcp://узел:порт или rfc2217://узел:порт.")
        .arg(address);
}

QString systemError(const QString& where, const QString& systemText, int error) {
    return QStringLiteral("%1: %2 (ошибка %3).").arg(where, systemText).arg(error);
}

QString noDeviceBehind(const QString& com) {
    return QStringLiteral("За портом %1 нет устройства: адаптер не подключён.").arg(com);
}

QString noDevice(const QString& where) {
    return QStringLiteral("Нет устройства %1: адаптер не подключён.").arg(where);
}

QString noPortAccess(const QString& where) {
    return QStringLiteral(
               "Нет доступа к %1: пользователь не входит в группу dialout. Выполните команду "
               "«sudo usermod -aG dialout $USER» и войдите в систему заново.")
        .arg(where);
}

QString notSerialPort(const QString& where) {
    return QStringLiteral("%1 — не последовательный порт.").arg(where);
}

QString rememberedUnplugged(const QString& device) {
    return QStringLiteral(" (%1 отключён)").arg(device);
}

}  // namespace texts
