#pragma once

#include <gtest/gtest.h>

#include <QByteArray>
#include <QSettings>
#include <QString>
#include <QTemporaryDir>
#include <chrono>
#include <cstdlib>
#include <future>
#include <string>
#include <string_view>

#include "acquisition/AcquisitionThreadProc.h"
#include "res/MessageStyle.h"
#include "tests/fakes/RecordingHost.h"

// One exchange run by the real worker on COM1, which the environment points at a device path
// or a network address, with the texts the operator should see.
namespace e2e {

using namespace std::chrono_literals;
using Kind = RecordingHost::Kind;

inline const QString kStartQuestion =
    QStringLiteral("Связь с вычислителем установлена.\nНачать прием данных?");
inline const QString kLinkBroken = QStringLiteral("Связь с вычислителем нарушена");
inline const QString kPortInitFailed = QStringLiteral("Ошибка при инициализации COM-порта");

// What the program should show of a UTF-8 form: Windows Cyrillic, lines ended CR LF.
inline QByteArray expectedCp1251(std::string_view utf8) {
    QByteArray out;
    const QString text = QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u == '\n' && !out.endsWith('\r')) out.append('\r');
        if (u < 0x80) {
            out.append(static_cast<char>(u));
        } else if (u >= 0x0410 && u <= 0x044F) {
            out.append(static_cast<char>(0xC0 + (u - 0x0410)));
        } else {
            ADD_FAILURE() << "no such letter in the test forms: " << int(u);
        }
    }
    return out;
}

inline QString closingReport(qsizetype n) {
    return QStringLiteral("Чтение данных в объеме %1 байт завершено. Продолжить?").arg(n);
}

class Exchange {
public:
    Exchange(const std::string& path, int type, int rate = 9600) {
        // The worker remembers the machine's ports in the profile: a profile of the test's own.
        static QTemporaryDir profile;
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, profile.path());
        ::setenv("TABULON_COM1", path.c_str(), 1);
        rc.m_strPort = "COM1";
        rc.m_nRate = rate;
        rc.m_nDeviceType = static_cast<DeviceType>(type);
        rc.m_pMainFrame = &host;
        host.setSettings({"COM1", QString::fromUtf8(deviceTypeInfo(rc.m_nDeviceType).name),
                          QString::number(rate)});
    }
    ~Exchange() { ::unsetenv("TABULON_COM1"); }

    // Runs the worker to its end; a worker still running after `limit` is a failure, and is
    // then made to end so that the test does not hang.
    unsigned run(std::chrono::seconds limit = 30s) {
        rc.m_bReceiving = 1;
        auto done = std::async(std::launch::async, [this] { return AcquisitionThreadProc(&rc); });
        if (done.wait_for(limit) != std::future_status::ready) {
            ADD_FAILURE() << "the worker did not end";
            rc.requestAbort();
        }
        return done.get();
    }
    // The operator presses stop when the worker opens form number `count` (counting from 1).
    void stopAtNewForm(std::size_t count) {
        host.on(Kind::NewForm, [this, count](const RecordingHost::Call&) {
            if (host.callsOf(Kind::NewForm).size() == count) rc.requestStop();
        });
    }

    ReceiveControl rc;
    RecordingHost host;
};

}  // namespace e2e
