#pragma once

#include <QString>

// What the operator reads about sites whose modems call in: the keys of the book, the service
// tabulon-collect --listen and its journal, the unknown callers of the window "Сбор за месяц".
namespace texts {

inline const QString kSiteBadBytes =
    QStringLiteral("ожидается текст или 0x и шестнадцатеричные цифры, по две на байт");
inline const QString kSiteBadReadEvery = QStringLiteral(
    "ожидается число секунд или число с буквой s, m, h или d (например 12h или 1d)");
inline const QString kSiteBadAddress =
    QStringLiteral("ожидается IP-адрес модема, например 192.0.2.7");

inline const QString kCollectBadListen =
    QStringLiteral("--listen: ожидается [АДРЕС:]ПОРТ, порт от 1 до 65535");
inline const QString kCollectBadIdle =
    QStringLiteral("--idle: ожидается число секунд, не меньше 1");
inline const QString kCollectListenAlone = QStringLiteral(
    "--listen не сочетается с --site, --all и --port: объекты модемов берутся из книги");
QString collectCallsIn(const QString& site);
inline const QString kCollectListenHelp = QStringLiteral(
    "  --listen   [АДРЕС:]ПОРТ: служба, принимающая соединения модемов, которые сами\n"
    "             связываются с офисом; объект узнается по hello или address в книге\n"
    "  --idle     через сколько секунд без данных соединение закрывается (по умолчанию 600)\n");

QString listenStarted(const QString& address);
QString listenFailed(const QString& address, const QString& why);
inline const QString kListenStopped = QStringLiteral("Прием соединений модемов остановлен");
QString listenNoSites(const QString& book);
QString callerKnown(const QString& site, const QString& peer);
QString callerUnknown(const QString& peer, const QString& sent);
QString callerRefused(const QString& peer, int open);
QString callerReplaced(const QString& site);
QString callerIdle(const QString& site, int seconds);
QString callerGone(const QString& site);
QString callerExchangeBegins(const QString& site);
QString callerNotKept(const QString& why);

QString siteCallsIn(const QString& knownBy);
inline const QString kMonthUnknownCallers = QStringLiteral("Неизвестные абоненты за месяц:");
QString monthCaller(const QString& peer, const QString& sent, int calls, const QString& last);

}  // namespace texts
