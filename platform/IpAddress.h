#pragma once

#include <optional>
#include <string>

// A numeric IP address in the one form the system writes it ("192.0.2.7", "2001:db8::7"), so
// that an address a person wrote and the address a connection came from compare equal however
// either was spelled; an IPv4 address mapped into IPv6 ("::ffff:192.0.2.7") is the IPv4 one.
// Nothing when `text` is no numeric address (host names are not looked up).
std::optional<std::string> canonicalIpAddress(const std::string& text);

struct sockaddr_storage;
// A socket address as the system gives it (getsockname, accept): its address in the form above,
// and its port.
std::string socketAddressText(const sockaddr_storage& address);
int socketPort(const sockaddr_storage& address);
