#pragma once

#include <optional>
#include <string>

// A serial device server on the network that a COM number may stand for:
// "tcp://host:port" passes the bytes as they are, "rfc2217://host:port" speaks the Telnet
// COM-Port-Control protocol, which also sets the line's speed and format at the server.
// An IPv6 host is written in brackets: "tcp://[::1]:4001".
struct NetworkAddress {
    enum class Protocol { Raw, Rfc2217 };
    Protocol protocol = Protocol::Raw;
    std::string host;
    int port = 0;

    bool operator==(const NetworkAddress&) const = default;
};

// Whether `path` names a network server at all: it starts with one of the two schemes (in any
// case). Such a path is never opened as a device, even when the rest of it is malformed.
bool isNetworkAddress(const std::string& path);

// The address `path` names, or nullopt when it is no network address or a malformed one
// (no port, port out of range, a host with characters no host name has).
std::optional<NetworkAddress> parseNetworkAddress(const std::string& path);

// The address written back as the operator writes it.
std::string toString(const NetworkAddress& address);
