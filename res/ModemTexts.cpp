#include "res/ModemTexts.h"

QString modemTexts::dialTimedOut(int seconds) {
    return QStringLiteral("Соединение с объектом не установлено за %1 с").arg(seconds);
}

QString modemTexts::connected(const QString& connect) {
    return QStringLiteral("Соединение установлено: %1").arg(connect);
}
