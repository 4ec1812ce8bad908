#pragma once

#include <string>
#include <string_view>

// UTF-8 text to DOS Cyrillic (code page 866), the code the calculator prints in. A character
// the code page lacks, and any malformed UTF-8 sequence, becomes `replacement`.
std::string utf8ToCp866(std::string_view utf8, char replacement = '?');

// The Unicode code point of cp866 byte `byte` (identity below 0x80).
char32_t cp866ToUnicode(unsigned char byte);
