#pragma once
// The marker that finds a workbook again: a workbook made from a template has no
// file name of its own, so the output writes this text (in white) into cell
// (1, 256) of the sheets it writes to and looks for it there.

#include <cstdint>
#include <string>
#include <string_view>

namespace tavrix {

// Longest marker kept; longer texts found in a workbook are cut to this.
inline constexpr std::size_t kXlsMarkerMaxChars = 30;

// "Lonvar" followed by the digits of the millisecond clock. Two markers of one run
// never match, even when asked for within the same millisecond.
std::string NewXlsMarker();
// The same for a given clock reading (whole milliseconds).
std::string XlsMarkerFor(std::int64_t ms);

// The first `maxChars` characters of a UTF-8 text (never half a character).
std::string CutToChars(std::string_view text, std::size_t maxChars);

}  // namespace tavrix
