#pragma once

#include <QString>

// A form's file and window: saving a sign cp1251 lacks, opening what is no file, the Find and
// Replace boxes.
namespace texts {

// Saving a form with a character that cp1251 has no byte for: the character, its code
// point and its line.
QString unrepresentableQuestion(const QString& character, char32_t codePoint, int line);

// Opening a path that is no regular file (a device, a pipe).
QString notRegularFile(const QString& path);

// The Replace box shares the Find box's layout, titled "Найти" there.
inline const QString kReplaceBoxTitle = QStringLiteral("Заменить");

}  // namespace texts
