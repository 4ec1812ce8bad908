#include "tools/Ser2netServer.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

int unusedLoopbackPort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return 0;
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof a;
    int port = 0;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 &&
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len) == 0)
        port = ntohs(a.sin_port);
    ::close(fd);
    return port;
}

bool loopbackPortListens(int port) {
    std::ifstream tcp("/proc/net/tcp");
    char wanted[32];
    std::snprintf(wanted, sizeof wanted, "0100007F:%04X", port);
    std::string line;
    std::getline(tcp, line);  // the header
    while (std::getline(tcp, line)) {
        std::istringstream fields(line);
        std::string slot, local, remote, state;
        fields >> slot >> local >> remote >> state;
        if (local == wanted && state == "0A") return true;  // 0A: LISTEN
    }
    return false;
}

Ser2netServer::Ser2netServer(std::string device, Mode mode, int rate)
    : m_device(std::move(device)), m_mode(mode), m_rate(rate) {}

Ser2netServer::~Ser2netServer() {
    stop(SIGTERM);
    if (!m_dir.empty()) std::filesystem::remove_all(m_dir);
}

std::string Ser2netServer::address() const {
    return (m_mode == Mode::Raw ? "tcp://127.0.0.1:" : "rfc2217://127.0.0.1:") +
           std::to_string(m_port);
}

bool Ser2netServer::writeConfig() {
    std::ofstream config(m_dir + "/ser2net.yaml");
    const char* accepter = m_mode == Mode::Raw ? "tcp" : "telnet(rfc2217),tcp";
    // local: a pseudo-terminal has no modem lines to wait for.
    config << "connection: &line\n"
           << "  accepter: " << accepter << ",127.0.0.1," << m_port << "\n"
           << "  connector: serialdev," << m_device << "," << m_rate
           << "n81,local\n"
           // Sent at once, not gathered for a few character times: the echo measures the
           // client, not the server's batching.
           << "  options:\n"
           << "    chardelay: false\n";
    return static_cast<bool>(config);
}

bool Ser2netServer::start() {
    char dir[] = "/tmp/tabulon-ser2net-XXXXXX";
    if (!::mkdtemp(dir)) return m_error = "mkdtemp failed", false;
    m_dir = dir;
    m_port = unusedLoopbackPort();
    if (m_port == 0 || !writeConfig()) return m_error = "no port or configuration", false;

    const std::string logFile = m_dir + "/ser2net.log";
    const std::string config = m_dir + "/ser2net.yaml";
    const std::string pidFile = m_dir + "/ser2net.pid";
    m_pid = startServerProcess({"ser2net", "-n", "-c", config, "-P", pidFile}, logFile);
    if (m_pid < 0) return m_error = "fork failed", false;
    switch (awaitListening(m_pid, m_port)) {
        case ServerStart::Listening:
            return true;
        case ServerStart::Ended:
            m_pid = -1;
            return m_error = "ser2net ended at start (is it installed?)", false;
        case ServerStart::Silent:
            break;
    }
    m_error = "ser2net does not listen on port " + std::to_string(m_port);
    stop(SIGKILL);
    return false;
}

pid_t startServerProcess(const std::vector<std::string>& argv, const std::string& logFile) {
    // Made before fork(): the child of a threaded process may only make system calls.
    std::vector<char*> args;
    for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    const pid_t pid = ::fork();
    if (pid == 0) {
        // A parent that dies without ending it (a killed test, a demo closed by a signal) takes
        // the server along.
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        const int log = ::open(logFile.c_str(), O_WRONLY | O_CREAT, 0600);
        if (log >= 0) ::dup2(log, 1), ::dup2(log, 2);
        ::execvp(args[0], args.data());
        ::_exit(127);
    }
    return pid;
}

ServerStart awaitListening(pid_t pid, int port) {
    using namespace std::chrono;
    const auto deadline = steady_clock::now() + seconds(10);
    while (steady_clock::now() < deadline) {
        if (loopbackPortListens(port)) return ServerStart::Listening;
        if (::waitpid(pid, nullptr, WNOHANG) == pid) return ServerStart::Ended;
        std::this_thread::sleep_for(milliseconds(5));
    }
    return ServerStart::Silent;
}

void Ser2netServer::kill() {
    stop(SIGKILL);
}

void Ser2netServer::stop(int signal) {
    if (m_pid <= 0) return;
    ::kill(m_pid, signal);
    using namespace std::chrono;
    const auto deadline = steady_clock::now() + seconds(3);
    while (::waitpid(m_pid, nullptr, WNOHANG) == 0) {
        if (steady_clock::now() > deadline) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, nullptr, 0);
            break;
        }
        std::this_thread::sleep_for(milliseconds(5));
    }
    m_pid = -1;
}
