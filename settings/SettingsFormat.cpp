#include "settings/SettingsFormat.h"

#include <algorithm>

namespace {

constexpr std::string_view kPortKey = "PORT=";
constexpr std::string_view kDeviceKey = "DEVICE=";
constexpr std::string_view kRateKey = "RATE=";

// The port value starts here whatever stands in front of "PORT=": the key is assumed to open
// the text, so characters before it shift the value into the key.
constexpr std::size_t kPortValueStart = kPortKey.size();

std::string_view upToZero(std::string_view s) {
    return s.substr(0, s.find('\0'));
}

std::string removeBlanksAndLineBreaks(std::string_view bytes) {
    std::string text;
    text.reserve(bytes.size());
    for (char c : bytes)
        if (c != ' ' && c != '\r' && c != '\n') text.push_back(c);
    return text;
}

}  // namespace

std::string formatSettingsText(std::string_view port, std::string_view device,
                               std::string_view rate) {
    std::string text;
    text.reserve(port.size() + device.size() + rate.size() + 24);
    text.append("PORT = ").append(upToZero(port)).append("\r\n");
    text.append("DEVICE = ").append(upToZero(device)).append("\r\n");
    text.append("RATE = ").append(upToZero(rate));
    return text;
}

std::optional<SettingsText> parseSettingsText(std::string_view bytes) {
    if (bytes.size() > kMaxSettingsFileSize) return std::nullopt;
    const std::string text = removeBlanksAndLineBreaks(bytes);
    const std::string_view searched = upToZero(text);

    const std::size_t p = searched.find(kPortKey);
    const std::size_t d = searched.find(kDeviceKey);
    const std::size_t r = searched.find(kRateKey);
    if (p == std::string_view::npos || d == std::string_view::npos || r == std::string_view::npos)
        return std::nullopt;
    // A value of negative length: "DEVICE=" inside the first five characters, or "RATE="
    // before the end of "DEVICE=".
    if (d < kPortValueStart || r < d + kDeviceKey.size()) return std::nullopt;

    const std::string_view all = text;
    SettingsText values;
    values.port = all.substr(kPortValueStart, d - kPortValueStart);
    values.device = all.substr(d + kDeviceKey.size(), r - d - kDeviceKey.size());
    // The speed runs to the end of the text, past a zero byte too, but nothing after the zero
    // is ever seen by the operator or written back.
    values.rate = upToZero(all.substr(r + kRateKey.size()));
    return values;
}
