#include <algorithm>
#include <cctype>

#include "platform/HostLookup.h"
#include "platform/LineKey.h"
#include "platform/NetworkAddress.h"
#include "platform/NetworkSerialPort.h"

namespace {

// One of the host's addresses, the same whatever order the resolver gives them in: its first
// IPv4 address, else its first; the name as written (in lower case, as names compare) when the
// lookup fails, so that the line still has a key.
std::string numericHost(const std::string& host, std::chrono::milliseconds lookup) {
    const HostAddresses found =
        lookUpHost(host, std::chrono::steady_clock::now() + lookup, {}, {});
    if (!found.error && !found.numeric.empty()) {
        const auto v4 = std::find_if(found.numeric.begin(), found.numeric.end(),
                                     [](const std::string& a) { return a.find(':') == a.npos; });
        return v4 != found.numeric.end() ? *v4 : found.numeric.front();
    }
    std::string lower = host;
    for (char& c : lower) c = char(std::tolower(static_cast<unsigned char>(c)));
    return lower;
}

}  // namespace

LineKey lineKeyOfPath(const std::string& path, std::chrono::milliseconds lookup) {
    LineKey key;
    if (!isNetworkAddress(path)) {
        key.id = canonicalDevicePath(path);
        return key;
    }
    key.kind = LineKey::Kind::Network;
    const std::optional<NetworkAddress> address = parseNetworkAddress(path);
    if (!address) {
        key.id = path;
        return key;
    }
    key.rfc2217 = address->protocol == NetworkAddress::Protocol::Rfc2217;
    const std::string host = numericHost(address->host, lookup);
    const bool v6 = host.find(':') != std::string::npos;
    key.id = (v6 ? "[" + host + "]" : host) + ":" + std::to_string(address->port);
    return key;
}
