#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

// A ser2net process serving one serial device on 127.0.0.1, at a port the system gave, with a
// configuration file of its own in a temporary folder. The object always ends its process.
//
//   Ser2netServer server(sim.slavePath(), Ser2netServer::Mode::Rfc2217);
//   ASSERT_TRUE(server.start()) << server.error();
//   setenv("TABULON_COM1", server.address().c_str(), 1);
class Ser2netServer {
public:
    enum class Mode { Raw, Rfc2217 };

    // `rate` is the device's speed in raw mode; in RFC 2217 mode the client sets it.
    Ser2netServer(std::string device, Mode mode, int rate = 9600);
    ~Ser2netServer();
    Ser2netServer(const Ser2netServer&) = delete;
    Ser2netServer& operator=(const Ser2netServer&) = delete;

    // Starts ser2net and waits until it listens. False, with error() set, when it does not.
    bool start();
    std::string error() const { return m_error; }
    int port() const { return m_port; }
    // "tcp://127.0.0.1:<port>" or "rfc2217://127.0.0.1:<port>".
    std::string address() const;

    // Ends the process at once (SIGKILL), as a server that loses power, and waits for it.
    void kill();

private:
    bool writeConfig();
    void stop(int signal);

    std::string m_device;
    Mode m_mode;
    int m_rate;
    std::string m_dir;
    int m_port = 0;
    pid_t m_pid = -1;
    std::string m_error;
};

// A port of 127.0.0.1 that nobody listens on (the system gave it, and it was let go).
int unusedLoopbackPort();
// True once something listens on 127.0.0.1:`port`, seen in /proc/net/tcp: a probing connection
// would open the served device and begin an exchange.
bool loopbackPortListens(int port);

// Starts the server `argv` (argv[0] a name on PATH or a path), its output going to `logFile`,
// killed when this process dies. Returns its pid, or -1 when fork fails.
pid_t startServerProcess(const std::vector<std::string>& argv, const std::string& logFile);

// Waits up to ten seconds until the server `pid` listens on 127.0.0.1:`port`; a server that ended
// meanwhile has been reaped.
enum class ServerStart { Listening, Ended, Silent };
ServerStart awaitListening(pid_t pid, int port);
