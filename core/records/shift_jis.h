#pragma once
// Conversion between the program's UTF-8 text and Shift_JIS (code page 932),
// the encoding of the settings files on disk.
#include <string>
#include <string_view>

namespace kemless {

// A character that code page 932 cannot hold becomes "?", as the system code
// page conversion does; the result never fails.
std::string Utf8ToShiftJis(std::string_view utf8);

// Bytes that are not valid Shift_JIS become U+FFFD; the result never fails.
std::string ShiftJisToUtf8(std::string_view sjis);

}  // namespace kemless
