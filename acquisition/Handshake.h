#pragma once

#include <cstdint>
#include <span>

#include "acquisition/DeviceType.h"
#include "acquisition/LineWaiter.h"

// The one attempt per exchange to hear the calculator answer 0x55. The stop command does not
// shorten it; the end of the exchange (`abort`) does.
class Handshake {
public:
    enum class Outcome {
        Accepted,
        NotEstablished,  // the byte did not go out, or the reply did not come, in time
        BadReply,        // a complete reply with other bytes
        Aborted,         // `abort` was set first
    };

    static Outcome perform(LineWaiter& line, const DeviceTypeInfo& type,
                           const std::atomic<int>& abort);

    // Whether a complete reply of the type's length is the expected one.
    static bool replyAccepted(std::span<const std::uint8_t> reply);
};
