#include "res/ListenTexts.h"

namespace texts {

QString collectCallsIn(const QString& site) {
    return QStringLiteral(
               "Объект «%1» связывается с офисом сам и не имеет порта: его читает служба "
               "tabulon-collect --listen")
        .arg(site);
}

QString listenStarted(const QString& address) {
    return QStringLiteral("Ожидание соединений модемов на %1").arg(address);
}

QString listenFailed(const QString& address, const QString& why) {
    return QStringLiteral("Не удалось ожидать соединений на %1: %2").arg(address, why);
}

QString listenNoSites(const QString& book) {
    return QStringLiteral(
               "В книге объектов %1 нет объектов с hello или address: ни одно соединение не "
               "будет узнано")
        .arg(book);
}

QString callerKnown(const QString& site, const QString& peer) {
    return QStringLiteral("Объект «%1»: модем подключился с %2").arg(site, peer);
}

QString callerUnknown(const QString& peer, const QString& sent) {
    return QStringLiteral("Неизвестный абонент %1, соединение закрыто; прислал: %2")
        .arg(peer, sent);
}

QString callerRefused(const QString& peer, int open) {
    return QStringLiteral("Соединение с %1 отклонено: открыто уже %2 соединений").arg(peer).arg(open);
}

QString callerReplaced(const QString& site) {
    return QStringLiteral("Объект «%1»: прежнее соединение закрыто, модем подключился заново")
        .arg(site);
}

QString callerIdle(const QString& site, int seconds) {
    return QStringLiteral("Объект «%1»: соединение закрыто, модем молчал %2 с").arg(site).arg(seconds);
}

QString callerGone(const QString& site) {
    return QStringLiteral("Объект «%1»: модем разорвал соединение").arg(site);
}

QString callerExchangeBegins(const QString& site) {
    return QStringLiteral("Объект «%1»: начат обмен").arg(site);
}

QString callerNotKept(const QString& why) {
    return QStringLiteral("Запись о неизвестном абоненте не сделана: %1").arg(why);
}

QString siteCallsIn(const QString& knownBy) {
    return QStringLiteral("входящая связь: %1").arg(knownBy);
}

QString monthCaller(const QString& peer, const QString& sent, int calls, const QString& last) {
    return QStringLiteral("%1 — %2; соединений: %3, последнее %4").arg(peer, sent).arg(calls).arg(last);
}

}  // namespace texts
