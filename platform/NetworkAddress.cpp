#include "platform/NetworkAddress.h"

#include <algorithm>
#include <cctype>
#include <string_view>

namespace {

constexpr std::string_view kRawScheme = "tcp://";
constexpr std::string_view kRfc2217Scheme = "rfc2217://";

bool startsWithNoCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() &&
           std::equal(prefix.begin(), prefix.end(), text.begin(), [](char wanted, char c) {
               return std::tolower(static_cast<unsigned char>(c)) == wanted;
           });
}

// Letters, digits, dots, hyphens and underscores: a host name or an IPv4 address. Anything
// else (commas, brackets, spaces) would be taken for syntax further down.
bool isHostName(std::string_view host) {
    return !host.empty() && std::all_of(host.begin(), host.end(), [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '-' || c == '_';
    });
}

bool isIpv6Literal(std::string_view host) {
    return host.find(':') != std::string_view::npos &&
           std::all_of(host.begin(), host.end(), [](char c) {
               return std::isxdigit(static_cast<unsigned char>(c)) || c == ':' || c == '.';
           });
}

std::optional<int> parsePort(std::string_view text) {
    if (text.empty() || text.size() > 5) return std::nullopt;
    int port = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        port = port * 10 + (c - '0');
    }
    if (port < 1 || port > 65535) return std::nullopt;
    return port;
}

// Splits "host:port" or "[v6]:port" into host and port.
std::optional<NetworkAddress> parseAuthority(std::string_view rest) {
    NetworkAddress address;
    std::string_view portText;
    if (!rest.empty() && rest.front() == '[') {
        const auto close = rest.find(']');
        if (close == std::string_view::npos || rest.substr(close + 1, 1) != ":")
            return std::nullopt;
        const std::string_view host = rest.substr(1, close - 1);
        if (!isIpv6Literal(host)) return std::nullopt;
        address.host = std::string(host);
        portText = rest.substr(close + 2);
    } else {
        const auto colon = rest.rfind(':');
        if (colon == std::string_view::npos) return std::nullopt;
        const std::string_view host = rest.substr(0, colon);
        if (!isHostName(host)) return std::nullopt;
        address.host = std::string(host);
        portText = rest.substr(colon + 1);
    }
    if (!portText.empty() && portText.back() == '/') portText.remove_suffix(1);
    const auto port = parsePort(portText);
    if (!port) return std::nullopt;
    address.port = *port;
    return address;
}

}  // namespace

bool isNetworkAddress(const std::string& path) {
    return startsWithNoCase(path, kRawScheme) || startsWithNoCase(path, kRfc2217Scheme);
}

std::optional<NetworkAddress> parseNetworkAddress(const std::string& path) {
    const bool raw = startsWithNoCase(path, kRawScheme);
    if (!raw && !startsWithNoCase(path, kRfc2217Scheme)) return std::nullopt;
    const std::string_view rest =
        std::string_view(path).substr(raw ? kRawScheme.size() : kRfc2217Scheme.size());
    auto address = parseAuthority(rest);
    if (address)
        address->protocol = raw ? NetworkAddress::Protocol::Raw : NetworkAddress::Protocol::Rfc2217;
    return address;
}

std::string toString(const NetworkAddress& address) {
    const bool v6 = address.host.find(':') != std::string::npos;
    std::string text(address.protocol == NetworkAddress::Protocol::Raw ? kRawScheme
                                                                       : kRfc2217Scheme);
    text += v6 ? "[" + address.host + "]" : address.host;
    return text + ":" + std::to_string(address.port);
}
