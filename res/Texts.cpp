#include "res/Texts.h"

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

QString cannotCreateArchiveFolder(const QString& folder) {
    return QStringLiteral("Не удается создать папку архива %1").arg(folder);
}

QString cannotOpenArchiveFolder(const QString& folder) {
    return QStringLiteral("Не удается открыть папку архива %1").arg(folder);
}

QString unknownTemplateField(const QString& field) {
    return QStringLiteral("Неизвестное поле в шаблоне имени: {%1}").arg(field);
}

QString archiveExample(const QString& name) {
    return QStringLiteral("Например: ") + name;
}

QString archiveFailure(int number, const QString& reason, const QString& folder) {
    return QStringLiteral("Форма %1 не записана в архив: %2.\nПапка архива: %3")
        .arg(number)
        .arg(reason, folder);
}

QString archiveWriteError(const QString& systemText) {
    return QStringLiteral("ошибка записи (%1)").arg(systemText);
}

QString collectUnknownOption(const QString& name) {
    return QStringLiteral("Неизвестный параметр: %1").arg(name);
}

QString collectNoValue(const QString& name) {
    return QStringLiteral("Не задано значение параметра %1").arg(name);
}

QString collectProgress(quint64 bytes, int forms) {
    return QStringLiteral("Принято %1 байт, форм: %2").arg(bytes).arg(forms);
}

QString collectFormWritten(int number, const QString& path, qint64 size) {
    return QStringLiteral("Форма %1 записана в архив: %2 (%3 байт)")
        .arg(number)
        .arg(path)
        .arg(size);
}

QString portBusy(const QString& where) {
    return QStringLiteral("Порт %1 занят другой программой").arg(where);
}

QString portBusyUser(const QString& program, int pid) {
    return QStringLiteral(": %1 (процесс %2).").arg(program).arg(pid);
}

QString portBusyProbably(const QString& program) {
    return QStringLiteral(", вероятно %1.").arg(program);
}

QString portBusyHelp() {
    return QStringLiteral(" Как освободить порт, сказано в справке, в главе %1.")
        .arg(kManualChapter);
}

QString serverRefused(const QString& address) {
    return QStringLiteral("Сервер %1 отказал в соединении: по этому адресу никто не ждёт.")
        .arg(address);
}

QString serverTimedOut(const QString& address) {
    return QStringLiteral("Сервер %1 не ответил вовремя.").arg(address);
}

QString serverUnreachable(const QString& address) {
    return QStringLiteral("Сервер %1 недоступен: нет пути к нему по сети.").arg(address);
}

QString serverReset(const QString& address) {
    return QStringLiteral(
               "Сервер %1 разорвал соединение сразу: его COM-порт отсутствует или занят.")
        .arg(address);
}

QString serverNotRfc2217(const QString& address) {
    return QStringLiteral("Сервер %1 не управляет портом по RFC 2217; для него нужен адрес tcp://.")
        .arg(address);
}

QString serverUnknownHost(const QString& address) {
    return QStringLiteral("Имя сервера в адресе %1 не найдено.").arg(address);
}

QString badNetworkAddress(const QString& address) {
    return QStringLiteral(
               "Неверный сетевой адрес %1: нужно tcp://узел:порт или rfc2217://узел:порт.")
        .arg(address);
}

QString systemError(const QString& where, const QString& systemText, int error) {
    return QStringLiteral("%1: %2 (ошибка %3).").arg(where, systemText).arg(error);
}

QString noDeviceBehind(const QString& com) {
    return QStringLiteral("За портом %1 нет устройства: адаптер не подключён.").arg(com);
}

QString noDevice(const QString& where) {
    return QStringLiteral("Нет устройства %1: адаптер не подключён.").arg(where);
}

QString noPortAccess(const QString& where) {
    return QStringLiteral(
               "Нет доступа к %1: пользователь не входит в группу dialout. Выполните команду "
               "«sudo usermod -aG dialout $USER» и войдите в систему заново.")
        .arg(where);
}

QString notSerialPort(const QString& where) {
    return QStringLiteral("%1 — не последовательный порт.").arg(where);
}

QString rememberedUnplugged(const QString& device) {
    return QStringLiteral(" (%1 отключён)").arg(device);
}

// The window "Сбор за месяц".
QString monthRoundSummary(int collected, int failed, int notTried) {
    return QStringLiteral("Собрано: %1. Попытки не удались: %2. Попыток не было: %3.")
        .arg(collected)
        .arg(failed)
        .arg(notTried);
}

QString monthRoundUnreadable(int records, const QString& folder) {
    return QStringLiteral("Не удалось прочесть записей о сеансах связи: %1 (папка %2).")
        .arg(records)
        .arg(folder);
}

// tabulon-collect over the site book.
QString collectUnknownSite(const QString& site, const QString& book) {
    return QStringLiteral("Объекта «%1» нет в книге объектов %2").arg(site, book);
}

QString collectEmptyBook(const QString& book) {
    return QStringLiteral("В книге объектов %1 нет ни одного объекта").arg(book);
}

QString collectSiteBegins(const QString& site, int index, int count) {
    return QStringLiteral("Объект «%1» (%2 из %3)").arg(site).arg(index).arg(count);
}

QString collectSiteEnded(const QString& site, const QString& summary) {
    return QStringLiteral("Объект «%1»: %2").arg(site, summary);
}

QString collectTryFailed(int tryNumber, qint64 tries, const QString& meaning, int delaySeconds) {
    return QStringLiteral("Попытка %1 из %2 не удалась (%3); следующая через %4 с")
        .arg(tryNumber)
        .arg(tries)
        .arg(meaning)
        .arg(delaySeconds);
}

QString collectTries(int tries) {
    return QStringLiteral("; попыток: %1").arg(tries);
}

QString collectTooManyRetries(int max) {
    return QStringLiteral(
               "Число повторов не может быть больше %1: паузы между попытками растут до 10 минут")
        .arg(max);
}

QString collectNoSitesFile(const QString& book) {
    return QStringLiteral("Файл объектов %1 не найден").arg(book);
}

QString collectRoundSummary(const QString& meaning, int sites, int withForms, int nothing,
                            int failed, int notTried) {
    return QStringLiteral(
               "Итог обхода: %1; объектов: %2, с формами: %3, без данных: %4, со сбоем: %5, "
               "не опрошено: %6")
        .arg(meaning)
        .arg(sites)
        .arg(withForms)
        .arg(nothing)
        .arg(failed)
        .arg(notTried);
}

// The site book, the window "Объекты" and the exchange with a site.

QString siteBookLine(const QString& path, int line, const QString& what) {
    return QStringLiteral("Файл объектов %1, строка %2: %3.").arg(path).arg(line).arg(what);
}

QString siteBookUnreadable(const QString& path, const QString& why) {
    return QStringLiteral("Невозможно прочитать файл объектов %1: %2.").arg(path, why);
}

QString siteBookNotToml(const QString& detail) {
    return QStringLiteral("это не запись TOML (%1)").arg(detail);
}

QString siteTwice(const QString& name) {
    return QStringLiteral("объект «%1» описан второй раз").arg(name);
}

QString siteNotTable(const QString& name) {
    return QStringLiteral(
               "«%1» не объект: объект начинается заголовком [\"%1\"], под которым "
               "стоят его port, device, speed и note")
        .arg(name);
}

QString siteUnknownKey(const QString& name, const QString& key) {
    return QStringLiteral(
               "у объекта «%1» неизвестный ключ %2 (известны port, device, speed, "
               "note)")
        .arg(name, key);
}

QString siteKeyNotText(const QString& name, const QString& key) {
    return QStringLiteral("у объекта «%1» значение %2 должно быть строкой в кавычках")
        .arg(name, key);
}

QString siteKeyNotNumber(const QString& name, const QString& key) {
    return QStringLiteral("у объекта «%1» значение %2 должно быть числом").arg(name, key);
}

QString siteNoPort(const QString& name) {
    return QStringLiteral("у объекта «%1» не задан порт (port)").arg(name);
}

QString siteBadValue(const QString& name, const QString& problem, const QString& value) {
    return QStringLiteral("объект «%1»: %2 («%3»)").arg(name, problem, value);
}

QString siteBookNotSaved(const QString& problem) {
    return QStringLiteral(
               "Файл объектов не записан: его нельзя прочитать, и записанное в нем "
               "было бы потеряно. Исправьте или удалите его.\n%1")
        .arg(problem);
}

QString siteSameFolder(const QString& name, const QString& other, const QString& folder) {
    return QStringLiteral(
               "у объектов «%1» и «%2» была бы одна папка архива «%3», и их формы смешались бы: "
               "измените одно из имен")
        .arg(name, other, folder);
}

QString siteNameUnquoted(const QString& name) {
    QString quoted = name;
    quoted.replace(u'\\', QStringLiteral("\\\\")).replace(u'"', QStringLiteral("\\\""));
    return QStringLiteral(
               "имя с русскими буквами, пробелами или точками пишется в кавычках: [\"%1\"]")
        .arg(quoted);
}

QString siteBookReadOnly(const QString& problem) {
    return QStringLiteral(
               "Файл объектов открыт только для просмотра: его нельзя прочитать, и записанное в "
               "нем было бы потеряно. Исправьте или удалите его.\n%1")
        .arg(problem);
}

QString sitesOnOnePort(const QString& port, const QStringList& sites) {
    return QStringLiteral(
               "Объекты %1 указывают один порт %2: при обходе всех объектов (tabulon-collect "
               "--all) с него будут собраны формы для каждого из них.")
        .arg(QStringLiteral("«") + sites.join(QStringLiteral("», «")) + QStringLiteral("»"), port);
}

QString siteBookWriteFailed(const QString& path, const QString& why) {
    return QStringLiteral("Невозможно записать файл объектов %1: %2.").arg(path, why);
}

QString siteBookAtStart(const QString& problem) {
    return QStringLiteral("%1\nTabulon работает без объектов.").arg(problem);
}

QString siteNotOnComNumber(const QString& site, const QString& port) {
    return QStringLiteral(
               "Порт объекта «%1» (%2) не стоит ни под одним номером COM1..COM9.\n"
               "Назначьте ему номер в окне «Порты» (меню «Вид») и выберите объект "
               "снова.")
        .arg(site, port);
}

QString noSites(const QString& path) {
    return QStringLiteral(
               "В файле объектов %1 нет ни одного объекта.\n"
               "Объекты добавляются в окне «Объекты» (меню «Вид»).")
        .arg(path);
}

}  // namespace texts
