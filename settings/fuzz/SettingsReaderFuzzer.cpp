#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "settings/SettingsFormat.h"

// Any bytes may stand in the file. Beyond "no crash, no out-of-bounds read", whatever the reader
// accepts must come back unchanged when written and read again, provided the values hold no
// byte that the reader removes.
namespace {

bool roundTrips(const SettingsText& values) {
    constexpr std::string_view kRemoved{" \r\n\0", 4};
    for (const std::string* value : {&values.port, &values.device, &values.rate})
        if (value->find_first_of(kRemoved) != std::string::npos) return true;
    const auto again =
        parseSettingsText(formatSettingsText(values.port, values.device, values.rate));
    return again && *again == values;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const auto values = parseSettingsText(bytes);
    if (values && !roundTrips(*values)) std::abort();
    return 0;
}
