#pragma once

#include <sys/types.h>

#include <string>

// pyserial's RFC 2217 port manager (NetworkRedirector.py, run by the system's python3 with
// python3-serial) serving one serial device on 127.0.0.1: a server that offers the COM port
// option itself, unlike ser2net. The object always ends its process.
//
//   NetworkRedirector server(sim.slavePath());
//   if (!NetworkRedirector::available()) GTEST_SKIP() << NetworkRedirector::missing();
//   ASSERT_TRUE(server.start()) << server.error();
class NetworkRedirector {
public:
    explicit NetworkRedirector(std::string device);
    ~NetworkRedirector();
    NetworkRedirector(const NetworkRedirector&) = delete;
    NetworkRedirector& operator=(const NetworkRedirector&) = delete;

    // Whether python3 is there to run the server; missing() says why not.
    static bool available();
    static std::string missing();

    // Starts the server and waits until it listens. False, with error() set, when it does not.
    bool start();
    std::string error() const { return m_error; }
    // "rfc2217://127.0.0.1:<port>".
    std::string address() const;
    // What the server logged so far: the settings it applied, "DTR on", "RTS on".
    std::string log() const;

    // Ends the process at once (SIGKILL), as a server that loses power, and waits for it.
    void kill();

private:
    void stop(int signal);

    std::string m_device;
    std::string m_dir;
    int m_port = 0;
    pid_t m_pid = -1;
    std::string m_error;
};
