#include "tests/e2e/NetworkRedirector.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

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

    const std::string logFile = m_dir + "/server.log";
    const std::string port = std::to_string(m_port);
    m_pid = startServerProcess({kPython, "-u", TABULON_REDIRECTOR_SCRIPT, m_device, port}, logFile);
    if (m_pid < 0) return m_error = "fork failed", false;
    switch (awaitListening(m_pid, m_port)) {
        case ServerStart::Listening:
            return true;
        case ServerStart::Ended:
            m_pid = -1;
            return m_error = "the server ended at start: " + log(), false;
        case ServerStart::Silent:
            break;
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
