#include "res/ExchangeTexts.h"

namespace texts {

QString getStateFailed(int error) {
    return QString::asprintf("GetCommState failed with error %d.\n", error);
}

QString setStateFailed(int error) {
    return QString::asprintf("SetCommState failed with error %d.\n", error);
}

QString byteCounterText(qint64 count) {
    // The pass start shows the fixed text; it reads the same as the formatted zero.
    if (count == 0) return QStringLiteral("0 байт прочитано");
    return QString::asprintf("%lld%s", static_cast<long long>(count), " байт прочитано");
}

QString closingReportText(qint64 count) {
    return QString::asprintf("%s%lld%s", "Чтение данных в объеме ", static_cast<long long>(count),
                             " байт завершено. Продолжить?");
}

}  // namespace texts
