#include "res/Texts.h"

namespace texts {

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

QString UnrepresentableQuestion(const QString& character, char32_t codePoint, int line) {
    return QStringLiteral(
               "Символ «%1» (U+%2) в строке %3 нельзя сохранить в кодировке Windows-1251.\n"
               "Записать вместо таких символов «?»?")
        .arg(character)
        .arg(uint(codePoint), 4, 16, QLatin1Char('0'))
        .arg(line);
}

QString NotRegularFile(const QString& path) {
    return QStringLiteral("%1 не является обычным файлом и не может быть открыт.").arg(path);
}

QString CannotCreateArchiveFolder(const QString& folder) {
    return QStringLiteral("Не удается создать папку архива %1").arg(folder);
}

QString CannotOpenArchiveFolder(const QString& folder) {
    return QStringLiteral("Не удается открыть папку архива %1").arg(folder);
}

}  // namespace texts
