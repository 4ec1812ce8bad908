#include "acquisition/Handshake.h"

#include <array>

Handshake::Outcome Handshake::perform(LineWaiter& line, const DeviceTypeInfo& type) {
    // A vanished device cannot answer any more; waiting out the limit would change nothing.
    if (line.writeByte(kHandshakeByte, type.sendLimitS, nullptr) != LineWaiter::Outcome::Done)
        return Outcome::NotEstablished;
    std::array<std::uint8_t, 2> reply{};
    const auto wanted = std::span(reply).first(static_cast<std::size_t>(type.replyLength));
    if (line.readExactly(wanted, type.replyLimitS) != LineWaiter::Outcome::Done)
        return Outcome::NotEstablished;
    return replyAccepted(wanted) ? Outcome::Accepted : Outcome::BadReply;
}

bool Handshake::replyAccepted(std::span<const std::uint8_t> reply) {
    if (reply.size() == 1) return reply[0] == kHandshakeByte;
    return reply.size() == 2 && reply[0] == 0x00 && reply[1] == kHandshakeByte;
}
