#pragma once
// A gauge's value text as a number, and left padding of texts.

#include <string>
#include <string_view>

#include "support/locale_separators.h"

// Reads "." and "," both as the decimal separator (no thousands separators), drops
// everything but digits, signs and the separator, and honours one minus anywhere
// ("12.5-" is -12.5). Text that does not convert gives 0; this never fails.
double NumTextToFloat(std::string_view text);

// Puts padChar in front until text is at least `width` characters (UTF-8 code points) long.
std::string PadLeft(int width, std::string_view text, char padChar);
