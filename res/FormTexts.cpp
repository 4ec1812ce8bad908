#include "res/FormTexts.h"

namespace texts {

QString unrepresentableQuestion(const QString& character, char32_t codePoint, int line) {
    return QStringLiteral(
               "Символ «%1» (U+%2) в строке %3 нельзя сохранить в кодировке Windows-1251.\n"
               "Записать вместо таких символов «?»?")
        .arg(character)
        .arg(uint(codePoint), 4, 16, QLatin1Char('0'))
        .arg(line);
}

QString notRegularFile(const QString& path) {
    return QStringLiteral("%1 не является обычным файлом и не может быть открыт.").arg(path);
}

}  // namespace texts
