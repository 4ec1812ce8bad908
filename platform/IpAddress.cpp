// The system's own parser and printer of addresses, the same calls on both systems.
#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#endif

#include <cstring>

#include "platform/IpAddress.h"

std::optional<std::string> canonicalIpAddress(const std::string& text) {
    char written[INET6_ADDRSTRLEN] = {};
    in_addr v4{};
    if (::inet_pton(AF_INET, text.c_str(), &v4) == 1) {
        ::inet_ntop(AF_INET, &v4, written, sizeof written);
        return std::string(written);
    }
    in6_addr v6{};
    if (::inet_pton(AF_INET6, text.c_str(), &v6) != 1) return std::nullopt;
    if (IN6_IS_ADDR_V4MAPPED(&v6)) {
        std::memcpy(&v4, &v6.s6_addr[12], sizeof v4);
        ::inet_ntop(AF_INET, &v4, written, sizeof written);
    } else {
        ::inet_ntop(AF_INET6, &v6, written, sizeof written);
    }
    return std::string(written);
}

std::string socketAddressText(const sockaddr_storage& address) {
    char text[INET6_ADDRSTRLEN] = {};
    if (address.ss_family == AF_INET6)
        ::inet_ntop(AF_INET6, &reinterpret_cast<const sockaddr_in6*>(&address)->sin6_addr, text,
                    sizeof text);
    else
        ::inet_ntop(AF_INET, &reinterpret_cast<const sockaddr_in*>(&address)->sin_addr, text,
                    sizeof text);
    return canonicalIpAddress(text).value_or(text);
}

int socketPort(const sockaddr_storage& address) {
    if (address.ss_family == AF_INET6)
        return ntohs(reinterpret_cast<const sockaddr_in6*>(&address)->sin6_port);
    return ntohs(reinterpret_cast<const sockaddr_in*>(&address)->sin_port);
}
