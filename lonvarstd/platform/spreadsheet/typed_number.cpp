#include "platform/spreadsheet/typed_number.h"

#include <array>
#include <charconv>
#include <cmath>

namespace tavrix::spreadsheet {

namespace {

bool IsBlank(char ch) {
    return ch == ' ' || (static_cast<unsigned char>(ch) < 0x20);
}
bool IsDigit(char ch) {
    return ch >= '0' && ch <= '9';
}

bool TakeAt(std::string_view text, std::size_t& pos, std::string_view token) {
    if (token.empty() || text.substr(pos, token.size()) != token) return false;
    pos += token.size();
    return true;
}

}  // namespace

std::optional<double> ParseTypedNumber(std::string_view text, const NumberSeparators& seps) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);

    std::string plain;  // the number in the "C" syntax from_chars reads
    std::size_t pos = 0;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        if (text[pos] == '-') plain += '-';
        ++pos;
    }
    int digits = 0;
    while (pos < text.size()) {
        if (IsDigit(text[pos])) {
            plain += text[pos++];
            ++digits;
            continue;
        }
        // A group separator must stand between digits of the integer part.
        std::size_t after = pos;
        if (digits > 0 && seps.group != seps.decimal && TakeAt(text, after, seps.group) &&
            after < text.size() && IsDigit(text[after])) {
            pos = after;
            continue;
        }
        break;
    }
    if (TakeAt(text, pos, seps.decimal)) {
        plain += '.';
        while (pos < text.size() && IsDigit(text[pos])) {
            plain += text[pos++];
            ++digits;
        }
    }
    if (digits == 0) return std::nullopt;
    if (pos < text.size() && (text[pos] == 'e' || text[pos] == 'E')) {
        plain += 'e';
        ++pos;
        if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) plain += text[pos++];
        int expDigits = 0;
        while (pos < text.size() && IsDigit(text[pos])) {
            plain += text[pos++];
            ++expDigits;
        }
        if (expDigits == 0) return std::nullopt;
    }
    if (pos != text.size()) return std::nullopt;

    double value = 0.0;
    const auto [end, ec] = std::from_chars(plain.data(), plain.data() + plain.size(), value);
    if (ec != std::errc() || end != plain.data() + plain.size() || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

std::string FormatGeneralNumber(double value, const NumberSeparators& seps) {
    std::array<char, 400> buf{};
    const double magnitude = std::fabs(value);
    const bool plainDigits = magnitude == 0.0 || (magnitude >= 1e-5 && magnitude < 1e15);
    const auto [end, ec] =
        std::to_chars(buf.data(), buf.data() + buf.size(), value,
                      plainDigits ? std::chars_format::fixed : std::chars_format::scientific);
    if (ec != std::errc()) return {};
    std::string out;
    for (const char* p = buf.data(); p != end; ++p) {
        if (*p == '.') {
            out += seps.decimal;
        } else if (*p == 'e') {
            out += 'E';
            if (p + 1 != end && p[1] != '-' && p[1] != '+') out += '+';
        } else {
            out += *p;
        }
    }
    return out;
}

}  // namespace tavrix::spreadsheet
