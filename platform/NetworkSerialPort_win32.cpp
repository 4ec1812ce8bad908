// Network serial servers on Windows: raw TCP through Winsock. RFC 2217 goes through libgensio
// elsewhere, which has no Windows build here, so such an address says it is not available.
#include <winsock2.h>

#include "platform/HostLookup.h"
#include "platform/NetworkSerialPort.h"
#include "platform/PosixLine.h"
#include "platform/WinsockLine.h"

SerialOpenResult openNetworkSerialPort(const NetworkAddress& address, int rate,
                                       const NetworkLinkLimits& limits, const OpenCancel& cancel) {
    (void)rate;  // raw mode takes the line as the server has it
    if (address.protocol != NetworkAddress::Protocol::Raw)
        return SerialOpenResult::refused(kErrorProtocolUnavailable);
    startWinsock();
    const HostAddresses hosts = lookUpHost(
        address.host, std::chrono::steady_clock::now() + limits.connect, cancel, limits.resolve);
    if (hosts.error) return SerialOpenResult::refused(hosts.error);
    return openTcpLine(hosts, address, limits, cancel);
}
