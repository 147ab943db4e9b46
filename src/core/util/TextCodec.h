#pragma once
// Conversions between the text forms the program meets: UTF-16 in memory,
// UTF-8 at the tools' edges (JSON, command lines) and Windows-1252, the
// device's 8-bit code page, in the user-data files.
#include <cstdint>
#include <string>
#include <string_view>

namespace vantrel {

// Appends code point cp as UTF-8.
void appendUtf8(std::string& out, uint32_t cp);

// UTF-16 to UTF-8. Unpaired surrogates become U+FFFD.
std::string toUtf8(std::u16string_view text);

// UTF-8 to UTF-16. Malformed sequences become U+FFFD.
std::u16string fromUtf8(std::string_view text);

// UTF-16 to Windows-1252; a character the code page cannot hold becomes '?'.
std::string toCp1252(std::u16string_view text);

// Windows-1252 to UTF-16. The five bytes the code page leaves undefined
// (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the control characters of the same value.
std::u16string fromCp1252(std::string_view bytes);

}  // namespace vantrel
