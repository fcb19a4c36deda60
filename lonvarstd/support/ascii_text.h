#pragma once
// Byte-wise text helpers for settings names: only ASCII letters fold case.

#include <string>
#include <string_view>

namespace tavrix {

// 'Abc' equals 'ABC'; bytes outside A-Z/a-z (UTF-8 included) must match exactly.
bool AsciiSameText(std::string_view a, std::string_view b);

// Removes leading and trailing blanks and control characters (bytes 0..32).
std::string_view TrimBlanksAndControls(std::string_view text);

}  // namespace tavrix
