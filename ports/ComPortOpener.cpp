#include "ports/ComPortOpener.h"

#include <cerrno>
#include <mutex>

#include "platform/NetworkAddress.h"
#include "ports/ComPortDirectory.h"

namespace {

std::mutex& openerMutex() {
    static std::mutex mutex;
    return mutex;
}

ComAddressOpener& addressOpener() {
    static ComAddressOpener opener;
    return opener;
}

SerialOpenResult refused(int error, const std::string& path) {
    SerialOpenResult result;
    result.stage = SerialOpenResult::Stage::Open;
    result.error = error;
    result.path = path;
    return result;
}

// A path as the serial layer opens it, but a network server with `cancel`.
SerialOpenResult openPath(const std::string& path, int rate, const OpenCancel& cancel) {
    const std::optional<NetworkAddress> address = parseNetworkAddress(path);
    if (!address) return openSerialPort(path, rate);
    SerialOpenResult result = openNetworkSerialPort(*address, rate, {}, cancel);
    result.path = path;
    return result;
}

}  // namespace

void setComAddressOpener(ComAddressOpener opener) {
    std::lock_guard lock(openerMutex());
    addressOpener() = std::move(opener);
}

SerialOpenResult openComPort(const std::string& name, int rate) {
    return openComPortWith(name, rate, {});
}

SerialOpenResult openComPortWith(const std::string& name, int rate, const OpenCancel& cancel) {
    const int com = comNumberOf(name);
    if (com == 0) return openPath(name, rate, cancel);
    PortStore store;
    ComPortDirectory directory(store);
    directory.refresh();
    const ComTarget target = directory.target(com);
    switch (target.kind) {
        case ComTarget::Kind::Device:
            return openSerialPort(target.path, rate);
        case ComTarget::Kind::Address: {
            ComAddressOpener opener;
            {
                std::lock_guard lock(openerMutex());
                opener = addressOpener();
            }
            // The serial layer opens an address as it opens a device path.
            return opener ? opener(target.path, rate) : openPath(target.path, rate, cancel);
        }
        case ComTarget::Kind::None:
            break;
    }
    return refused(ENODEV, {});
}
