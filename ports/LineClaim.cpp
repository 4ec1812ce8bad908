#include "ports/LineClaim.h"

#include <cerrno>
#include <thread>

#include "platform/SerialPortName.h"
#include "platform/WakeSignal.h"
#include "ports/ComPortDirectory.h"

namespace {

constexpr std::chrono::milliseconds kLookAgain{250};

LineLock::Attempt tryOnce(const LineKey& key) {
    return key.kind == LineKey::Kind::Device ? LineLock::tryDevice(key.id)
                                             : LineLock::tryNetwork(key.id);
}

// A raised signal that is no cancel (it belongs to the worker, raised for its own reasons)
// must not turn the pause into a spin.
void pause(const OpenCancel& cancel, std::chrono::milliseconds slice) {
    if (cancel.wake && !cancel.wake->isRaised())
        cancel.wake->waitFor(slice);
    else
        std::this_thread::sleep_for(slice);
}

// Tells the listener once that the wait began, and that it ended however the claim ends.
class WaitNotice {
public:
    explicit WaitNotice(const std::function<void(bool)>& listener) : m_listener(listener) {}
    WaitNotice(const WaitNotice&) = delete;
    WaitNotice& operator=(const WaitNotice&) = delete;
    ~WaitNotice() {
        if (m_told) m_listener(false);
    }
    void begin() {
        if (m_told || !m_listener) return;
        m_told = true;
        m_listener(true);
    }

private:
    const std::function<void(bool)>& m_listener;
    bool m_told = false;
};

}  // namespace

LineKey lineKeyOfPort(const std::string& name) {
    const int com = comNumberOf(name);
    if (com == 0) return lineKeyOfPath(name);
    PortStore store;
    ComPortDirectory directory(store);
    directory.survey();
    const ComTarget target = directory.target(com);
    // Nothing under the number: it can be opened by nobody, and is a line of its own.
    return target.kind == ComTarget::Kind::None ? LineKey{LineKey::Kind::Device, name, false}
                                                : lineKeyOfPath(target.path);
}

LineClaim claimLine(const LineKey& key, std::chrono::milliseconds wait, const OpenCancel& cancel) {
    const auto deadline = std::chrono::steady_clock::now() + wait;
    WaitNotice notice{cancel.lineWait};
    for (;;) {
        LineLock::Attempt attempt = tryOnce(key);
        if (attempt.lock || attempt.error) return {std::move(attempt.lock), 0, 0};
        if (cancel.requested()) return {nullptr, attempt.holder, ECANCELED};
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left <= std::chrono::milliseconds::zero()) return {nullptr, attempt.holder, EBUSY};
        notice.begin();
        pause(cancel, std::min(left, kLookAgain));
    }
}
