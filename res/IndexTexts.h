#pragma once

#include <QString>

// The archive window "Архив форм" and its search index.
namespace texts {

inline const QString kArchiveWindowTitle = QStringLiteral("Архив форм");
inline const QString kArchiveSearchHint = QStringLiteral("Поиск по тексту форм");
inline const QString kArchiveAllForms = QStringLiteral("Все формы");
inline const QString kArchiveColumnReceived = QStringLiteral("Дата и время");
inline const QString kArchiveColumnFirstLine = QStringLiteral("Первая строка");
inline const QString kArchiveColumnSize = QStringLiteral("Размер");
// A form file the index could not read: %1 is why.
inline const QString kArchiveUnreadable = QStringLiteral("Файл не читается: %1");
inline const QString kIndexNotRegularFile = QStringLiteral("это не обычный файл");
inline const QString kIndexFileTooLarge = QStringLiteral("файл слишком велик для формы");
// %1 forms checked of %2.
inline const QString kArchiveIndexing = QStringLiteral("Обновление указателя архива: %1 из %2");
inline const QString kArchiveForms = QStringLiteral("Форм: %1");
inline const QString kArchiveHits = QStringLiteral("Найдено форм: %1");
inline const QString kArchiveHitsMore = QStringLiteral("Найдено форм: %1 и более");
inline const QString kArchiveNoHits = QStringLiteral("Ничего не найдено");
// While a search reads the index on its worker; a count the index could not give.
inline const QString kArchiveSearching = QStringLiteral("Поиск…");
inline const QString kArchiveFormsUncounted = QStringLiteral("Форм: не удалось сосчитать");
inline const QString kArchiveIndexRebuilt =
    QStringLiteral("Указатель архива был повреждён и строится заново");
// %1 is why the index can be kept neither in the cache nor in memory (kArchiveFolderNotCreated…).
inline const QString kArchiveIndexFailed = QStringLiteral("Указатель архива недоступен: %1");
inline const QString kArchiveNoFolder = QStringLiteral("Папка архива не найдена: %1");
inline const QString kArchiveIndexRebuiltDone =
    QStringLiteral("Указатель архива был повреждён и построен заново");
// %1 is the cache folder, %2 what is wrong with it (kArchiveFolderNotCreated…).
inline const QString kArchiveIndexInMemory = QStringLiteral(
    "Папка кэша %1: %2. Формы показаны без указателя архива, поиск по тексту недоступен");
inline const QString kArchiveSearchUnavailable =
    QStringLiteral("Поиск недоступен: указатель архива не сохраняется");

}  // namespace texts
