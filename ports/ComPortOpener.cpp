#include "ports/ComPortOpener.h"

#include <cerrno>
#include <mutex>

#include "platform/NetworkAddress.h"
#include "ports/ComPortDirectory.h"
#include "ports/LineClaim.h"
#include "ports/LockedPort.h"

namespace {

std::mutex& openerMutex() {
    static std::mutex mutex;
    return mutex;
}

ComAddressOpener& addressOpener() {
    static ComAddressOpener opener;
    return opener;
}

// A path as the serial layer opens it, but a network server with `cancel`.
SerialOpenResult openPath(const std::string& path, int rate, const OpenCancel& cancel) {
    const std::optional<NetworkAddress> address = parseNetworkAddress(path);
    if (!address) return openSerialPort(path, rate);
    SerialOpenResult result = openNetworkSerialPort(*address, rate, {}, cancel);
    result.path = path;
    return result;
}

// A device, or an address through the test's opener when one is set.
SerialOpenResult openTarget(const ComTarget& target, int rate, const OpenCancel& cancel) {
    if (target.kind == ComTarget::Kind::Address) {
        ComAddressOpener opener;
        {
            std::lock_guard lock(openerMutex());
            opener = addressOpener();
        }
        if (opener) return opener(target.path, rate);
    }
    return openPath(target.path, rate, cancel);
}

}  // namespace

void setComAddressOpener(ComAddressOpener opener) {
    std::lock_guard lock(openerMutex());
    addressOpener() = std::move(opener);
}

SerialOpenResult openComPort(const std::string& name, int rate) {
    return openComPortWith(name, rate, {});
}

SerialOpenResult openComPortWith(const std::string& name, int rate, const OpenCancel& cancel,
                                 std::chrono::milliseconds busyWait) {
    const int com = comNumberOf(name);
    ComTarget target;
    target.kind = ComTarget::Kind::Device;
    target.path = name;
    if (com != 0) {
        PortStore store;
        ComPortDirectory directory(store);
        directory.refresh();
        target = directory.target(com);
        if (target.kind == ComTarget::Kind::None) return SerialOpenResult::refused(ENODEV);
    }
    // The line is claimed before it is opened: opening a device already raises its DTR, on a
    // line another program may be in the middle of a call on.
    LineClaim claim = claimLine(lineKeyOfPath(target.path), busyWait, cancel);
    if (claim.error) return SerialOpenResult::refused(claim.error, target.path);
    SerialOpenResult result = openTarget(target, rate, cancel);
    if (result.port && claim.lock)
        result.port = std::make_unique<LockedPort>(std::move(result.port), std::move(claim.lock));
    return result;
}
