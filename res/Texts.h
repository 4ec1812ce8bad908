#pragma once

#include <QString>

// The program's own messages, each written once: the windows, the worker and
// tabulon-collect show them from here. The texts the string table holds (the English file and
// print messages, the command prompts) are read with res::LoadString instead.
namespace texts {

// The worker's messages, exactly as the operator knows them.
inline const QString kPortInitFailed = QStringLiteral("Ошибка при инициализации COM-порта");
inline const QString kLinkNotEstablished = QStringLiteral("Связь с вычислителем не установлена");
inline const QString kBadReply = QStringLiteral("Ошибка при приеме данных от вычислителя");
inline const QString kLinkBroken = QStringLiteral("Связь с вычислителем нарушена");
inline const QString kStartQuestion =
    QStringLiteral("Связь с вычислителем установлена.\nНачать прием данных?");

// "GetCommState failed with error %d.\n" and its SetCommState sibling.
QString GetStateFailed(int error);
QString SetStateFailed(int error);

// The byte counter beside the progress bar: "<n> байт прочитано".
QString ByteCounterText(int count);

// The question after a reading pass, carrying the number of characters it stored.
QString ClosingReportText(int count);

// The settings' checks before an exchange starts.
inline const QString kBadPort = QStringLiteral("Неправильно задан порт");
inline const QString kBadDevice = QStringLiteral("Неправильно задан тип вычислителя");
inline const QString kBadRate = QStringLiteral("Неправильно задана скорость обмена данными");

// The settings file.
inline const QString kCannotOpenIni = QStringLiteral("Невозможно открыть файл Tabulon.ini");
inline const QString kBadIniFormat = QStringLiteral("Неверный формат файла Tabulon.ini");

// Closing the window that is receiving.
inline const QString kCloseGuard = QStringLiteral(
    "Документ не может быть закрыт до окончания передачи данных!\n"
    "Остановить передачу данных?");

// Saving a form with a character that cp1251 has no byte for: the character, its code
// point and its line.
QString UnrepresentableQuestion(const QString& character, char32_t codePoint, int line);

// Opening a path that is no regular file (a device, a pipe).
QString NotRegularFile(const QString& path);

inline const QString kHelpTitle = QStringLiteral("Tabulon - Справка");

// The archive folder, from the main window's commands.
QString CannotCreateArchiveFolder(const QString& folder);
QString CannotOpenArchiveFolder(const QString& folder);
// Added to an archive failure shown during an exchange.
inline const QString kFormStaysInWindow = QStringLiteral("Текст формы остается в ее окне.");

// The form archive: a form cut short, and what an archive broken off (killed, a power cut)
// left behind in its folder.
inline const QString kIncompleteSuffix = QStringLiteral("-неполная");
// %1 the leftover file, %2 the form's file, %3 its size in bytes.
inline const QString kLeftoverRecovered =
    QStringLiteral("Недописанная форма %1 восстановлена в архиве как неполная: %2 (%3 байт)");
// %1 the leftover file.
inline const QString kLeftoverRemoved =
    QStringLiteral("Пустой файл прерванной записи в архив удален: %1");
// %1 forms recovered, %2 empty files removed.
inline const QString kLeftoversSummary = QStringLiteral(
    "Прерванная запись в архив: восстановлено неполных форм: %1, удалено пустых файлов: %2");

// tabulon-collect: the port it must be told, the form cut short, the lost forms, the exit
// status when several things went wrong.
inline const QString kCollectNoPort =
    QStringLiteral("Порт не задан: файл Tabulon.ini не прочитан. Укажите порт параметром --port");
inline const QString kCollectEmptyTemplate = QStringLiteral("Шаблон имени файла пуст");
inline const QString kCollectFormCutShort =
    QStringLiteral("Форма %1 записана в архив НЕ ПОЛНОСТЬЮ (прием прерван): %2 (%3 байт)");
inline const QString kCollectSummary = QStringLiteral("Итог: %1; форм: %2, байт: %3");
inline const QString kCollectFormsLost =
    QStringLiteral("Итог: ФОРМЫ ПОТЕРЯНЫ, не записано в архив: %1 из %2; байт: %3");
inline const QString kCollectAlso = QStringLiteral("; кроме того: %1");
inline const QString kCollectOutcomeOrder = QStringLiteral(
    "Если случилось несколько исходов, код завершения - самый важный из них: 10 (потеряна\n"
    "форма) важнее всех остальных, затем 3-7, затем 9, затем 8, затем 0 или 1.");

}  // namespace texts
