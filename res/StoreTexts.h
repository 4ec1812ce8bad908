#pragma once

#include <QString>

// The common archive: the organisation's PostgreSQL store every machine sends its forms and
// exchange records to. No text here ever holds a password: addresses are shown redacted.
namespace texts {

// Where the address was found: %1 the file or variable.
inline const QString kStoreAddressHasPassword = QStringLiteral(
    "Адрес общего архива в %1 содержит пароль; пароль хранится только в файле паролей "
    "PostgreSQL (~/.pgpass, PGPASSFILE) или в переменной PGPASSWORD. Общий архив не используется.");
// %1 where, %2 the parser's reason.
inline const QString kStoreAddressBad =
    QStringLiteral("Адрес общего архива в %1 не разобран: %2. Общий архив не используется.");
// %1 the address without its password, %2 the client's own words.
inline const QString kStoreUnreachable = QStringLiteral("Общий архив %1 недоступен: %2");
inline const QString kStoreNoAnswer =
    QStringLiteral("Общий архив %1 не отвечает (соединение принято, ответа нет)");
inline const QString kStoreWrongPassword = QStringLiteral(
    "Общий архив %1 не принял пароль роли «%2» (пароль берётся из ~/.pgpass, PGPASSFILE или "
    "PGPASSWORD)");
inline const QString kStoreNoPassword = QStringLiteral(
    "Общий архив %1 требует пароль роли «%2», а его нет в ~/.pgpass, PGPASSFILE или PGPASSWORD");
// %1 the address, %2 the role, %3 the table.
inline const QString kStoreNoRight = QStringLiteral(
    "У роли «%2» нет права на таблицу «%3» общего архива %1; права выдаёт администратор "
    "(руководство, «Общий архив»)");
inline const QString kStoreNoSchema = QStringLiteral(
    "Общий архив %1 ещё не создан, а у роли «%2» нет права его создать; его создаёт один раз "
    "владелец базы (руководство, «Общий архив»)");
// %1 the address, %2 the store's schema version, %3 the one this program knows (or needs).
inline const QString kStoreNewerSchema = QStringLiteral(
    "Общий архив %1 новее этой программы (версия схемы %2, программа знает %3); обновите Tabulon");
// A store nobody has sent to yet: %1 the address.
inline const QString kStoreEmpty =
    QStringLiteral("Общий архив %1 ещё пуст: его создаст первая же отправка форм");
// An older one: the next upload of any machine with this version brings it up to date.
inline const QString kStoreOlderSchema = QStringLiteral(
    "Общий архив %1 ещё не обновлён для этой версии Tabulon (версия схемы %2, нужна %3); его "
    "обновит первая же отправка форм");
// The server lacks pg_trgm, which the search needs: %1 the address.
inline const QString kStoreNoTrigrams = QStringLiteral(
    "На сервере общего архива %1 нет расширения pg_trgm, без которого не работает поиск; "
    "его ставит администратор сервера (в Debian оно входит в пакет postgresql, в других системах — в "
    "postgresql-contrib)");
// The store could not be searched and the list shows this machine's forms: %1 why.
inline const QString kStoreSearchLocal = QStringLiteral(
    "Общий архив недоступен (%1); показаны формы только этого компьютера");
inline const QString kStoreFailed = QStringLiteral("Общий архив %1 отказал: %2");
// An archive file that could not be read for sending: %1 the file.
inline const QString kStoreFileUnreadable =
    QStringLiteral("Файл %1 не прочитан и в общий архив не отправлен");
// The sent-ledger beside the archive could not be written: %1 the file. Harmless: what it misses
// is sent again and the store keeps it once.
inline const QString kStoreLedgerNotWritten =
    QStringLiteral("Журнал отправки %1 не записан; эти формы будут отправлены ещё раз");
// %1 forms, %2 records sent; %3 forms, %4 records left.
inline const QString kStoreUploaded = QStringLiteral(
    "Общий архив: отправлено форм %1, записей %2; не отправлено форм %3, записей %4");
inline const QString kStoreNotConfigured =
    QStringLiteral("Общий архив не задан (TABULON_STORE, store.conf)");
// The backlog as the windows tell it: the status bar and "Сбор за месяц".
// %1 forms, %2 records not yet in the common archive.
inline const QString kStoreBacklog =
    QStringLiteral("Не отправлено в общий архив: форм %1, записей %2");
inline const QString kStoreAllSent = QStringLiteral("Все формы и записи в общем архиве");
// %1: why the store could not be read.
inline const QString kStoreMonthLocalOnly = QStringLiteral(
    "Общий архив недоступен, показаны сеансы только этого компьютера. %1");
// The Windows build has no PostgreSQL client: an address found is not used. %1 where it was found.
inline const QString kStoreNotInThisBuild = QStringLiteral(
    "Общий архив недоступен в Windows-версии Tabulon; адрес в %1 не используется");
// The same, as the reason a connection string was not read.
inline const QString kStoreNoClient = QStringLiteral("в этой сборке нет клиента PostgreSQL");

}  // namespace texts
