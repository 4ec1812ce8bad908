#include "res/ModemTexts.h"

QString modemTexts::dialTimedOut(int seconds) {
    return QStringLiteral("Соединение с объектом не установлено за %1 с").arg(seconds);
}
