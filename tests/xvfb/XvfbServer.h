#pragma once

#include <sys/types.h>

#include <QByteArray>
#include <QString>

// A private X server for tests that need real key and mouse events: Xvfb on a display number
// it chooses itself (-displayfd), so that suites running at the same time never meet, killed
// when the object goes.
class XvfbServer {
public:
    XvfbServer() = default;
    ~XvfbServer();
    XvfbServer(const XvfbServer&) = delete;
    XvfbServer& operator=(const XvfbServer&) = delete;

    // Starts the server and waits until it accepts clients; false with error() on failure.
    bool start();
    void stop();
    // ":N", for DISPLAY.
    QByteArray display() const { return m_display; }
    QString error() const { return m_error; }

private:
    pid_t m_pid = -1;
    QByteArray m_display;
    QString m_error;
};
