#pragma once

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

// A port of 127.0.0.1 that takes connections into its queue and never says a word: a server
// that accepts and never answers.
class SilentListener {
public:
    SilentListener() : m_fd(::socket(AF_INET, SOCK_STREAM, 0)) {
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof a;
        ::bind(m_fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
        ::listen(m_fd, 16);
        ::getsockname(m_fd, reinterpret_cast<sockaddr*>(&a), &size);
        m_port = ntohs(a.sin_port);
    }
    ~SilentListener() { ::close(m_fd); }
    SilentListener(const SilentListener&) = delete;
    SilentListener& operator=(const SilentListener&) = delete;
    int port() const { return m_port; }

private:
    int m_fd;
    int m_port = 0;
};
