#include "res/CollectTexts.h"

namespace texts {

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

}  // namespace texts
