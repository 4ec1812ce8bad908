// ser2net serves a Linux device; on Windows there is neither it nor a simulator's line to serve.
#include "tools/Ser2netServer.h"

Ser2netServer::Ser2netServer(std::string device, Mode mode, int rate)
    : m_device(std::move(device)), m_mode(mode), m_rate(rate) {}

Ser2netServer::~Ser2netServer() = default;

bool Ser2netServer::start() {
    m_error = "ser2net does not run on Windows";
    return false;
}

std::string Ser2netServer::address() const {
    return {};
}

void Ser2netServer::kill() {}
