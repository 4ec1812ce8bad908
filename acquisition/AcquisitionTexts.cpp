#include "acquisition/AcquisitionTexts.h"

namespace acqtext {

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
