#include "tests/e2e/NetworkRedirector.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "tools/Ser2netServer.h"

namespace {

// The system's interpreter, where Debian puts python3-serial; one found first on PATH (a
// pyenv, a virtual environment) does not see it.
constexpr const char* kPython = "/usr/bin/python3";

}  // namespace

NetworkRedirector::NetworkRedirector(std::string device) : m_device(std::move(device)) {}

NetworkRedirector::~NetworkRedirector() {
    stop(SIGTERM);
    if (!m_dir.empty()) std::filesystem::remove_all(m_dir);
}

bool NetworkRedirector::available() {
    return ::access(kPython, X_OK) == 0;
}

std::string NetworkRedirector::missing() {
    return std::string(kPython) + " is missing: pyserial's RFC 2217 server cannot run";
}

std::string NetworkRedirector::address() const {
    return "rfc2217://127.0.0.1:" + std::to_string(m_port);
}

std::string NetworkRedirector::log() const {
    std::ifstream file(m_dir + "/server.log");
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

bool NetworkRedirector::start() {
    char dir[] = "/tmp/tabulon-redirector-XXXXXX";
    if (!::mkdtemp(dir)) return m_error = "mkdtemp failed", false;
    m_dir = dir;
    m_port = unusedLoopbackPort();
    if (m_port == 0) return m_error = "no free port", false;

    // Made before fork(): the child of a threaded process may only make system calls.
    const std::string logFile = m_dir + "/server.log";
    const std::string port = std::to_string(m_port);
    m_pid = ::fork();
    if (m_pid == 0) {
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        const int log = ::open(logFile.c_str(), O_WRONLY | O_CREAT, 0600);
        if (log >= 0) ::dup2(log, 1), ::dup2(log, 2);
        ::execl(kPython, kPython, "-u", TABULON_REDIRECTOR_SCRIPT, m_device.c_str(), port.c_str(),
                static_cast<char*>(nullptr));
        ::_exit(127);
    }
    if (m_pid < 0) return m_error = "fork failed", false;
    using namespace std::chrono;
    const auto deadline = steady_clock::now() + seconds(10);
    while (steady_clock::now() < deadline) {
        if (loopbackPortListens(m_port)) return true;
        if (::waitpid(m_pid, nullptr, WNOHANG) == m_pid) {
            m_pid = -1;
            return m_error = "the server ended at start: " + log(), false;
        }
        std::this_thread::sleep_for(milliseconds(5));
    }
    m_error = "the server does not listen on port " + port + ": " + log();
    stop(SIGKILL);
    return false;
}

void NetworkRedirector::kill() {
    stop(SIGKILL);
}

void NetworkRedirector::stop(int signal) {
    if (m_pid <= 0) return;
    ::kill(m_pid, signal);
    ::waitpid(m_pid, nullptr, 0);
    m_pid = -1;
}
