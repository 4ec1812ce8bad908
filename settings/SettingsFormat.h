#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// The text of "Tabulon.ini" as bytes (cp1251), free of any file or window. Kept to the standard
// library so that the parser can be fuzzed on its own.

// The three values as they stand in the file.
struct SettingsText {
    std::string port, device, rate;

    bool operator==(const SettingsText&) const = default;
};

// A file larger than this is not a settings file; reading it would only waste time.
constexpr std::size_t kMaxSettingsFileSize = 64 * 1024;

// "PORT = <port>\r\nDEVICE = <device>\r\nRATE = <rate>", no final line break. A value ends at
// its first zero byte, as the file's readers and the combo boxes see it.
std::string formatSettingsText(std::string_view port, std::string_view device,
                               std::string_view rate);

// The reader's rules: every blank, CR and LF removed wherever it stands; the keys "PORT=",
// "DEVICE=" and "RATE=" (case-sensitive) found by their first occurrence before the first zero
// byte; the port taken from index 5 up to "DEVICE=", the type up to "RATE=", the speed to the
// end. Returns nothing for a text the reader cannot take apart: a key missing, keys in an order
// that leaves no room for a value, or more than kMaxSettingsFileSize bytes.
std::optional<SettingsText> parseSettingsText(std::string_view bytes);
