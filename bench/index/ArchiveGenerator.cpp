#include "bench/index/ArchiveGenerator.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QStringEncoder>

namespace {

constexpr int kSites = 20;
constexpr int kMonths = 12;

QString siteName(int i) {
    static const char* kinds[] = {"Котельная", "Школа", "ЦТП", "Больница", "Жилой дом"};
    return QStringLiteral("%1 %2").arg(QString::fromUtf8(kinds[i % 5])).arg(i + 1);
}

QString report(int n, const QString& site, const QDateTime& when, QRandomGenerator& random) {
    QString text;
    text += QStringLiteral("Суточный отчёт о теплопотреблении\r\n");
    text += QStringLiteral("Тепловычислитель КСМ-Р зав. N %1\r\n").arg(serialOf(n));
    text += QStringLiteral("Объект: %1\r\n").arg(site);
    text += QStringLiteral("Дата: %1\r\n\r\n").arg(when.toString(u"dd.MM.yyyy"));
    text += QStringLiteral(" Время  T1,°C   T2,°C   G1,т     G2,т     Q,Гкал   P1,МПа  Ошибки\r\n");
    const int rows = 28 + int(random.bounded(25));  // 2-4 KB
    for (int r = 0; r < rows; ++r) {
        const int code = random.bounded(40) == 0 ? 11 + int(random.bounded(9)) : 0;
        text += QString::asprintf(
            " %02d:%02d  %6.2f  %6.2f  %7.3f  %7.3f  %7.4f  %5.3f   %s\r\n", r / 2, r % 2 * 30,
            60 + random.bounded(40.0), 35 + random.bounded(20.0), random.bounded(80.0),
            random.bounded(80.0), random.bounded(2.0), 0.3 + random.bounded(0.5),
            code ? qPrintable(QStringLiteral("код %1").arg(code)) : "-");
    }
    text += QStringLiteral("\r\nИтого за сутки: Q = %1 Гкал, время наработки %2 ч\r\n")
                .arg(random.bounded(40.0), 0, 'f', 3)
                .arg(rows / 2);
    return text;
}

}  // namespace

QString serialOf(int n) {
    return QStringLiteral("%1").arg(n % 997 * 100 + n % 89, 5, 10, QChar(u'0'));
}

qint64 generateArchive(const QString& root, int forms, int first) {
    QStringEncoder cp1251("windows-1251");
    QRandomGenerator random(quint32(first + 1));
    qint64 bytes = 0;
    const QDateTime start(QDate(2025, 12, 1), QTime(0, 0));
    for (int i = first; i < first + forms; ++i) {
        const int site = i % kSites;
        const int month = (i / kSites) % kMonths;
        const QDateTime when =
            start.addMonths(month).addSecs(qint64(i / (kSites * kMonths)) * 6007 % (28 * 86400));
        const QString folder =
            QStringLiteral("%1/%2/%3").arg(root, siteName(site), when.toString(u"yyyy-MM"));
        QDir().mkpath(folder);
        QFile f(QStringLiteral("%1/%2_COM%3_КСМ-Р_%4.txt")
                    .arg(folder, when.toString(u"yyyy-MM-dd_HH-mm-ss"))
                    .arg(site % 4 + 1)
                    .arg(i, 6, 10, QChar(u'0')));
        if (!f.open(QIODevice::WriteOnly)) continue;
        bytes += f.write(cp1251(report(i, siteName(site), when, random)));
    }
    return bytes;
}
