#include "res/SiteTexts.h"

namespace texts {

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
               "note, modem, phone, modem_init, bearer, dial_timeout)")
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

QString siteModemAndPort(const QString& name) {
    return QStringLiteral(
               "у объекта «%1» заданы и port, и modem: вычислитель за модемом вызывается через "
               "порт модема (modem), port не нужен")
        .arg(name);
}

QString sitePhoneWithoutModem(const QString& name) {
    return QStringLiteral("у объекта «%1» задан телефон (phone), но не задан модем (modem)")
        .arg(name);
}

QString siteModemWithoutPhone(const QString& name) {
    return QStringLiteral("у объекта «%1» задан модем (modem), но не задан телефон (phone)")
        .arg(name);
}

QString siteDialKeyWithoutModem(const QString& name, const QString& key) {
    return QStringLiteral("у объекта «%1» ключ %2 нужен только вместе с modem и phone")
        .arg(name, key);
}

QString badDialTimeout(int minimum, int maximum) {
    return QStringLiteral("время ожидания соединения (dial_timeout) - от %1 до %2 секунд")
        .arg(minimum)
        .arg(maximum);
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
               "Назначьте ему номер в окне «Порты» (меню «Настройки», а в окне формы — "
               "меню «Файл») и выберите объект снова.")
        .arg(site, port);
}

QString noSites(const QString& path) {
    return QStringLiteral(
               "В файле объектов %1 нет ни одного объекта.\n"
               "Объекты добавляются в окне «Объекты» (меню «Вид»).")
        .arg(path);
}

}  // namespace texts
