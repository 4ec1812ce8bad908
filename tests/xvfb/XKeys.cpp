#include "tests/xvfb/XKeys.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>

bool sendKeys(const QString& keys) {
    QProcess xdotool;
    QStringList args{QStringLiteral("key")};
    args += keys.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    xdotool.start(QStringLiteral("xdotool"), args);
    if (!xdotool.waitForFinished(10000) || xdotool.exitCode() != 0) return false;
    // The events come back from the server through the socket: take in all that arrives.
    QElapsedTimer quiet;
    quiet.start();
    while (quiet.elapsed() < 100) {
        QApplication::processEvents(QEventLoop::AllEvents, 10);
        QApplication::sendPostedEvents();
    }
    return true;
}
