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
