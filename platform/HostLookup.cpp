// Name lookup off the waiting thread: getaddrinfo() cannot be interrupted and may take as long
// as every name server's timeout together, longer than a service manager waits for a stop.
#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>

#include "platform/WinsockLine.h"
#else
#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#endif

#include <algorithm>
#include <cerrno>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>

#include "platform/HostLookup.h"
#include "platform/WakeSignal.h"

namespace {

using std::chrono::milliseconds;
using std::chrono::steady_clock;

bool isNumericHost(const std::string& host) {
    in6_addr address{};
    return ::inet_pton(AF_INET, host.c_str(), &address) == 1 ||
           ::inet_pton(AF_INET6, host.c_str(), &address) == 1;
}

// What the lookup thread and its waiter share; whichever lets go last frees it.
struct PendingLookup {
    std::mutex mutex;
    bool done = false;
    HostAddresses result;
    WakeSignal finished;
};

}  // namespace

HostAddresses resolveHostName(const std::string& host) {
#ifdef _WIN32
    startWinsock();  // a line's key looks its host up before any line is opened
#endif
    addrinfo hints{};
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    const int rc = ::getaddrinfo(host.c_str(), nullptr, &hints, &found);
    HostAddresses addresses;
    if (rc != 0) {
#ifdef EAI_SYSTEM
        addresses.error = rc == EAI_SYSTEM ? errno : kErrorUnknownHost;
#else
        addresses.error = kErrorUnknownHost;
#endif
        return addresses;
    }
    for (const addrinfo* ai = found; ai; ai = ai->ai_next) {
        char text[NI_MAXHOST];
        if (::getnameinfo(ai->ai_addr, ai->ai_addrlen, text, sizeof text, nullptr, 0,
                          NI_NUMERICHOST) != 0)
            continue;
        if (std::find(addresses.numeric.begin(), addresses.numeric.end(), text) ==
            addresses.numeric.end())
            addresses.numeric.emplace_back(text);
    }
    ::freeaddrinfo(found);
    if (addresses.numeric.empty()) addresses.error = kErrorUnknownHost;
    return addresses;
}

HostAddresses lookUpHost(const std::string& host, steady_clock::time_point deadline,
                         const OpenCancel& cancel, const HostResolver& resolve) {
    if (isNumericHost(host)) return {{host}, 0};
    const HostResolver lookup = resolve ? resolve : HostResolver(&resolveHostName);
    const auto pending = std::make_shared<PendingLookup>();
    try {
        std::thread([pending, lookup, host] {
            HostAddresses result = lookup(host);
            std::lock_guard lock(pending->mutex);
            pending->result = std::move(result);
            pending->done = true;
            pending->finished.raise();
        }).detach();
    } catch (const std::system_error&) {
        return lookup(host);  // no thread to be had: the lookup blocks as it always did
    }
    for (;;) {
        {
            std::lock_guard lock(pending->mutex);
            if (pending->done) return pending->result;
        }
        // A raised signal ends the wait whatever its flag says, as it ends the line's waits.
        if (cancel.requested() || (cancel.wake && cancel.wake->isRaised())) return {{}, ECANCELED};
        const auto left = deadline - steady_clock::now();
        if (left <= steady_clock::duration::zero()) return {{}, ETIMEDOUT};
        WakeSignal::waitForEither(pending->finished, cancel.wake,
                                  std::chrono::duration_cast<milliseconds>(left) + milliseconds(1));
    }
}
