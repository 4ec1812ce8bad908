#pragma once

#include <QString>
#include <QStringList>

// The site book, the windows "Объекты" and "Сбор за месяц", the picker and the exchange with
// a site.
namespace texts {

// The columns that show a site, in every window listing sites or their forms ("Сбор за месяц",
// "Архив форм"), so that the two cannot call the same thing differently.
inline const QString kColumnSite = QStringLiteral("Объект");
inline const QString kColumnType = QStringLiteral("Тип");
inline const QString kColumnPort = QStringLiteral("Порт");

// The window "Сбор за месяц": which sites are collected this month and which are not.
inline const QString kMonthRoundTitle = QStringLiteral("Сбор за месяц");
inline const QString kMonthRoundMonth = QStringLiteral("&Месяц:");
inline const QString kMonthRoundPrevious = QStringLiteral("Предыдущий месяц");
inline const QString kMonthRoundNext = QStringLiteral("Следующий месяц");
inline const QString kMonthRoundConnect = QStringLiteral("&Связь");
inline const QString kMonthRoundForms = QStringLiteral("&Формы за месяц");
inline const QString kMonthRoundLastCollected = QStringLiteral("Последний сбор");
inline const QString kMonthRoundFormCount = QStringLiteral("Форм за месяц");
inline const QString kMonthRoundLastAttempt = QStringLiteral("Последняя попытка");
inline const QString kMonthRoundAttemptTime = QStringLiteral("Время попытки");
inline const QString kRoundCollected = QStringLiteral("собран");
inline const QString kRoundFailed = QStringLiteral("не собран: попытки не удались");
inline const QString kRoundNotTried = QStringLiteral("не собран: попыток не было");
inline const QString kRoundNotInBook = QStringLiteral("нет в книге");
inline const QString kRoundNoSite = QStringLiteral("без объекта");
inline const QString kRoundNever = QStringLiteral("—");
QString monthRoundSummary(int collected, int failed, int notTried);
// The records that are no record (damaged, too large, a folder, a pipe or a device named like
// one) and the folder they are in, so that someone can look there.
QString monthRoundUnreadable(int records, const QString& folder);
inline const QString kMonthRoundReading = QStringLiteral("Чтение записей о сеансах связи…");
inline const QString kMonthRoundState = QStringLiteral("Состояние");

// The site book, the window "Объекты" and the exchange with a site.
QString siteBookLine(const QString& path, int line, const QString& what);
QString siteBookUnreadable(const QString& path, const QString& why);
QString siteBookNotToml(const QString& detail);
QString siteTwice(const QString& name);
QString siteNotTable(const QString& name);
QString siteUnknownKey(const QString& name, const QString& key);
QString siteKeyNotText(const QString& name, const QString& key);
QString siteKeyNotNumber(const QString& name, const QString& key);
QString siteNoPort(const QString& name);
QString siteBadValue(const QString& name, const QString& problem, const QString& value);
// A dial-up site's keys: modem, phone, modem_init, bearer, dial_timeout.
QString siteModemAndPort(const QString& name);
QString sitePhoneWithoutModem(const QString& name);
QString siteModemWithoutPhone(const QString& name);
QString siteDialKeyWithoutModem(const QString& name, const QString& key);
inline const QString kBadPhone = QStringLiteral(
    "в номере телефона (phone) допустимы цифры, пробелы, «+-()», «*#», запятая (пауза) и W, "
    "P, T");
inline const QString kBadModemCommand =
    QStringLiteral("команда модема (modem_init, bearer) начинается с AT и умещается в строку");
QString badDialTimeout(int minimum, int maximum);
QString siteBookNotSaved(const QString& problem);
QString siteBookWriteFailed(const QString& path, const QString& why);
QString siteBookAtStart(const QString& problem);
inline const QString kSiteNoName = QStringLiteral("Не задано имя объекта");
inline const QString kSiteNameTaken = QStringLiteral("Объект с таким именем уже есть");
inline const QString kSiteCopy = QStringLiteral("копия");
inline const QString kSiteNewName = QStringLiteral("Новый объект");
QString noSites(const QString& path);
QString siteNotOnComNumber(const QString& site, const QString& port);
// Names of sites the archive could not keep apart; a book the window "Объекты" only shows; sites
// that share a port.
inline const QString kSiteNameControl = QStringLiteral(
    "В имени объекта есть управляющие символы (табуляция, перевод строки и т. п.)");
QString siteSameFolder(const QString& name, const QString& other, const QString& folder);
QString siteNameUnquoted(const QString& name);
QString siteBookReadOnly(const QString& problem);
QString sitesOnOnePort(const QString& port, const QStringList& sites);
inline const QString kSiteBookHeader = QStringLiteral(
    "# Объекты Tabulon: имя объекта в заголовке таблицы, под ним порт (COM1..COM9,\n"
    "# /dev/serial/by-id/…, tcp://адрес:порт или rfc2217://адрес:порт), тип вычислителя,\n"
    "# скорость и примечание. Комментарии над заголовком объекта сохраняются.\n");

}  // namespace texts
