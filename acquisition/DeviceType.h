#pragma once

#include <array>
#include <cstdint>
#include <string_view>

// A calculator type: an index 0..5 into the table below.
using DeviceType = std::uint8_t;

// How one calculator type talks. Limits are whole seconds; 0 means the step does not exist.
struct DeviceTypeInfo {
    std::string_view name;  // UTF-8, as offered in the settings dialog and stored in the file
    bool handshake;
    int replyLength;  // bytes of the handshake reply: 0x00 0x55, or 0x55 alone
    bool echo;
    int sendLimitS;
    int replyLimitS;
    int echoLimitS;
    int inactivityLimitS;
};

constexpr int kDeviceTypeCount = 6;

constexpr std::array<DeviceTypeInfo, kDeviceTypeCount> kDeviceTypes{{
    {"КСМ-Р", true, 2, true, 4, 5, 5, 5},
    {"КСМ-Н", true, 2, true, 4, 5, 5, 5},
    {"КСМ-С", true, 2, true, 6, 7, 7, 7},
    {"КСМ-СП", true, 2, true, 6, 7, 7, 7},
    {"КСМ-Ж", false, 0, false, 0, 0, 0, 1},
    {"КСМ", true, 1, true, 8, 9, 9, 9},
}};

constexpr std::uint8_t kHandshakeByte = 0x55;
constexpr std::uint8_t kFormEnd = 0x1A;

inline const DeviceTypeInfo& deviceTypeInfo(DeviceType type) {
    return kDeviceTypes.at(type);
}
