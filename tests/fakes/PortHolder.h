#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <string>

#include "platform/SerialPort.h"

// Another process holding a serial port open, as a second program on the same line would.
// The child opens `path` and keeps it until this object goes; held() tells whether it got it.
class PortHolder {
public:
    explicit PortHolder(const std::string& path) {
        if (::pipe(m_ready) != 0 || ::pipe(m_release) != 0) return;
        m_child = ::fork();
        if (m_child == 0) {
            const SerialOpenResult held = openSerialPort(path, 9600);
            const char ok = held.port ? 'y' : 'n';
            (void)!::write(m_ready[1], &ok, 1);
            char c;
            (void)!::read(m_release[0], &c, 1);
            ::_exit(0);
        }
        char ok = 0;
        m_held = m_child > 0 && ::read(m_ready[0], &ok, 1) == 1 && ok == 'y';
    }
    ~PortHolder() { release(); }
    PortHolder(const PortHolder&) = delete;
    PortHolder& operator=(const PortHolder&) = delete;

    bool held() const { return m_held; }

    // Lets go of the port and waits until the child has ended.
    void release() {
        if (m_child > 0) {
            (void)!::write(m_release[1], "x", 1);
            ::waitpid(m_child, nullptr, 0);
            m_child = -1;
        }
        for (int& fd : {std::ref(m_ready[0]), std::ref(m_ready[1]), std::ref(m_release[0]),
                        std::ref(m_release[1])})
            if (fd >= 0) ::close(fd), fd = -1;
    }

private:
    int m_ready[2] = {-1, -1};
    int m_release[2] = {-1, -1};
    pid_t m_child = -1;
    bool m_held = false;
};
