#include "acquisition/Handshake.h"

#include <array>

namespace {

Handshake::Outcome failed(LineWaiter::Outcome waited) {
    // A vanished device cannot answer any more; waiting out the limit would change nothing.
    return waited == LineWaiter::Outcome::Stopped ? Handshake::Outcome::Aborted
                                                  : Handshake::Outcome::NotEstablished;
}

}  // namespace

Handshake::Outcome Handshake::perform(LineWaiter& line, const DeviceTypeInfo& type,
                                      const std::atomic<int>& abort) {
    const LineWaiter::Outcome sent = line.writeByte(kHandshakeByte, type.sendLimitS, &abort);
    if (sent != LineWaiter::Outcome::Done) return failed(sent);
    std::array<std::uint8_t, 2> reply{};
    const auto wanted = std::span(reply).first(static_cast<std::size_t>(type.replyLength));
    const LineWaiter::Outcome got = line.readExactly(wanted, type.replyLimitS, &abort);
    if (got != LineWaiter::Outcome::Done) return failed(got);
    return replyAccepted(wanted) ? Outcome::Accepted : Outcome::BadReply;
}

bool Handshake::replyAccepted(std::span<const std::uint8_t> reply) {
    if (reply.size() == 1) return reply[0] == kHandshakeByte;
    return reply.size() == 2 && reply[0] == 0x00 && reply[1] == kHandshakeByte;
}
