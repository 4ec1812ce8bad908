#pragma once

#include <string>
#include <string_view>

// What every Windows file of the platform layer shares: the system speaks UTF-16 where the
// program speaks UTF-8, and reports failures as its own error codes where the layers above
// read errno values.
namespace Win32Text {

// UTF-8 to UTF-16 and back; a malformed sequence becomes U+FFFD rather than cutting the name.
std::wstring wide(std::string_view utf8);
std::string utf8(std::wstring_view wide);

// A file name for the wide file calls: an absolute drive path ("C:/Архив/КСМ") gets the "\\?\"
// prefix and backslashes, so that it may be longer than 260 characters and a name such as "CON"
// or "COM1" in it is a file name like any other, never the device; anything else is only widened.
std::wstring filePath(std::string_view utf8);

// 100-ns ticks since 1601 (a FILETIME) as milliseconds since 1970.
long long epochMsOf(unsigned long high, unsigned long low);

// The errno value the layers above know for a system error code (GetLastError(),
// WSAGetLastError()): a port someone holds is EBUSY, one that is not there ENOENT, and so on.
// A code without a counterpart is EIO.
int errnoOf(unsigned long systemError);

}  // namespace Win32Text
