#pragma once
// The text that goes into a spreadsheet cell for a gauge's value text: a plain
// number loses its plus sign, leading zeros and surplus trailing zeros and gets the
// spreadsheet's decimal separator; anything else goes in as it stands (trimmed).

#include <string>
#include <string_view>

namespace tavrix {

// `dezTrenn` is the decimal separator the spreadsheet reads ('.' or ',').
std::string XlsValueText(std::string_view text, char dezTrenn);

}  // namespace tavrix
