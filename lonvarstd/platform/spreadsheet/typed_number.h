#pragma once

// How a typed entry turns into a number: the rules the office applies to a text written into a
// cell, limited to plain numbers, so that nothing else (formulas, dates, links) is ever made of
// a value text.

#include <optional>
#include <string>
#include <string_view>

namespace tavrix::spreadsheet {

struct NumberSeparators {
    std::string decimal = ".";
    std::string group = ",";
};

// A plain number: blanks around it, an optional sign, digits with group separators anywhere in
// the integer part (lenient, as spreadsheets take them: "1234,530000000" in English is a whole
// number), at most one decimal separator, an optional exponent. Anything else is no number.
std::optional<double> ParseTypedNumber(std::string_view text, const NumberSeparators& seps);

// The office's general display of a number: shortest exact digits, no exponent below 1e15,
// with the locale's decimal separator.
std::string FormatGeneralNumber(double value, const NumberSeparators& seps);

}  // namespace tavrix::spreadsheet
