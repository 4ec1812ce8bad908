#pragma once

#include <QString>

// The form archive: its folder and name template, why a form is not in it, what a broken-off
// write left behind, and the record of every exchange.
namespace texts {

// The archive folder, from the main window's commands.
QString cannotCreateArchiveFolder(const QString& folder);
QString cannotOpenArchiveFolder(const QString& folder);
// Added to an archive failure shown during an exchange.
inline const QString kFormStaysInWindow = QStringLiteral("Текст формы остается в ее окне.");

// A form cut short, and what an archive broken off (killed, a power cut)
// left behind in its folder.
inline const QString kIncompleteSuffix = QStringLiteral("-неполная");
// %1 the leftover file, %2 the form's file, %3 its size in bytes.
inline const QString kLeftoverRecovered =
    QStringLiteral("Недописанная форма %1 восстановлена в архиве как неполная: %2 (%3 байт)");
// %1 the leftover file.
inline const QString kLeftoverRemoved =
    QStringLiteral("Пустой файл прерванной записи в архив удален: %1");
// %1 the leftover file, %2 the form's file that it was already.
inline const QString kLeftoverSameAsForm = QStringLiteral(
    "Файл прерванной записи в архив удален: форма уже записана в архив как %2 (%1)");
// %1 forms recovered, %2 empty files removed.
inline const QString kLeftoversSummary = QStringLiteral(
    "Прерванная запись в архив: восстановлено неполных форм: %1, удалено пустых файлов: %2");

// The dialog "Архив": its checks, its folder chooser and the example name under the template.
inline const QString kNoArchiveFolder = QStringLiteral("Не задана папка архива");
inline const QString kNoArchiveTemplate = QStringLiteral("Шаблон имени файла пуст");
QString unknownTemplateField(const QString& field);
inline const QString kArchiveSettingsNotSaved =
    QStringLiteral("Не удалось сохранить настройки архива");
inline const QString kArchiveFolderTitle = QStringLiteral("Папка архива");
// The example under the template in "Архив": the name it gives a sample form.
QString archiveExample(const QString& name);
inline const QString kArchiveExampleTitle = QStringLiteral("СУТОЧНАЯ ВЕДОМОСТЬ");
// Why a form is not in the archive; the reasons follow "не записана в архив: ".
QString archiveFailure(int number, const QString& reason, const QString& folder);
inline const QString kArchiveFolderUnavailable = QStringLiteral("папка недоступна");
inline const QString kArchiveFolderReadOnly = QStringLiteral("нет прав на запись в папку");
inline const QString kArchiveDiskReadOnly = QStringLiteral("диск доступен только для чтения");
inline const QString kArchiveDiskFull = QStringLiteral("на диске нет места");
QString archiveWriteError(const QString& systemText);
inline const QString kArchiveNamesTaken = QStringLiteral("все имена файлов заняты");
inline const QString kArchiveNotSynced = QStringLiteral("данные не сброшены на диск");
inline const QString kArchiveFolderNotCreated = QStringLiteral("не удается создать папку");

// The record of every exchange: how it ended, in the windows' short words; the failure to keep
// the record (%1 where and why).
inline const QString kRecordForms = QStringLiteral("формы приняты");
inline const QString kRecordNothing = QStringLiteral("ничего не принято");
inline const QString kRecordOpenFailed = QStringLiteral("порт не открылся");
inline const QString kRecordNoHandshake = QStringLiteral("нет ответа вычислителя");
inline const QString kRecordBadReply = QStringLiteral("неверный ответ вычислителя");
inline const QString kRecordEchoTooLate = QStringLiteral("эхо не отправлено вовремя");
inline const QString kRecordLineBroken = QStringLiteral("связь нарушена");
inline const QString kRecordStopped = QStringLiteral("остановлено");
inline const QString kRecordArchiveIncomplete = QStringLiteral("не все формы в архиве");
inline const QString kRecordNotWritten = QStringLiteral("Запись о сеансе связи не сохранена: %1");

}  // namespace texts
