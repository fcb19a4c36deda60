#include "engine/xlsValueText.h"

#include <algorithm>

namespace tavrix {

namespace {

bool IsBlankOrControl(char c) {
    return static_cast<unsigned char>(c) <= ' ' || c == '\x7f';
}

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && IsBlankOrControl(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlankOrControl(text.back())) text.remove_suffix(1);
    return text;
}

bool IsNumberChar(char c) {
    return (c >= '0' && c <= '9') || c == '+' || c == '-' || c == ',' || c == '.';
}

// 1-based position of the first `c`, 0 when there is none.
std::size_t Pos(const std::string& s, char c) {
    const auto at = s.find(c);
    return at == std::string::npos ? 0 : at + 1;
}

// A sign is a sign only in front of the number or behind it ("12.50-"), and there is one
// minus at most; "12-05" is a text, not the number -1205.
bool SignsOnlyAtTheEnds(std::string_view s) {
    for (std::size_t i = 1; i + 1 < s.size(); ++i) {
        if (s[i] == '+' || s[i] == '-') return false;
    }
    return std::count(s.begin(), s.end(), '-') <= 1;
}

}  // namespace

std::string XlsValueText(std::string_view text, char dezTrenn) {
    const std::string_view trimmed = Trimmed(text);
    if (!std::all_of(trimmed.begin(), trimmed.end(), IsNumberChar) ||
        !SignsOnlyAtTheEnds(trimmed)) {
        return std::string(trimmed);
    }

    std::string s(trimmed);
    const char other = dezTrenn == ',' ? '.' : ',';
    std::replace(s.begin(), s.end(), other, dezTrenn);

    if (const auto plus = s.find('+'); plus != std::string::npos) s.erase(plus, 1);
    const auto minus = s.find('-');
    const bool negative = minus != std::string::npos;
    if (negative) s.erase(minus, 1);

    // Leading zeros go, but one stays in front of the separator ("00.5" -> "0.5");
    // a whole number keeps its zeros.
    if (Pos(s, dezTrenn) >= 3) {
        while (!s.empty() && s.front() == '0' && Pos(s, dezTrenn) != 2) s.erase(0, 1);
    }
    // Trailing zeros go, but one digit after the separator stays ("12.000" -> "12.0").
    if (const std::size_t p = Pos(s, dezTrenn); p > 0 && p + 1 < s.size()) {
        while (s.back() == '0' && p + 1 < s.size()) s.pop_back();
    }
    if (negative) s.insert(0, 1, '-');
    return s;
}

}  // namespace tavrix
