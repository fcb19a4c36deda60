#include "support/num_text.h"

#include <algorithm>
#include <charconv>
#include <cstddef>

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

void eraseFirst(std::string& text, char c, bool& found) {
    const auto pos = text.find(c);
    found = pos != std::string::npos;
    if (found) text.erase(pos, 1);
}

// The conversion that follows the clean-up: one optional sign, digits with at most one
// separator, at least one digit. Locale-independent, whatever the process locale is.
double convert(const std::string& text, char sep) {
    std::string_view rest = text;
    std::string plain;
    if (!rest.empty() && (rest.front() == '+' || rest.front() == '-')) {
        if (rest.front() == '-') plain += '-';
        rest.remove_prefix(1);
    }
    bool seenSeparator = false;
    bool seenDigit = false;
    for (char c : rest) {
        if (isDigit(c)) {
            seenDigit = true;
            plain += c;
        } else if (c == sep && !seenSeparator) {
            seenSeparator = true;
            plain += '.';
        } else {
            return 0.0;
        }
    }
    if (!seenDigit) return 0.0;
    double value = 0.0;
    const auto [end, error] = std::from_chars(plain.data(), plain.data() + plain.size(), value);
    if (error != std::errc() || end != plain.data() + plain.size()) return 0.0;
    return value;
}

}  // namespace

double NumTextToFloat(std::string_view text) {
    const char sep = DecimalSeparator();
    std::string work(text);
    if (sep == '.') std::replace(work.begin(), work.end(), ',', '.');
    if (sep == ',') std::replace(work.begin(), work.end(), '.', ',');
    std::erase_if(work,
                  [sep](char c) { return !(c == '+' || c == '-' || isDigit(c) || c == sep); });
    bool found = false;
    eraseFirst(work, '+', found);
    bool negative = false;
    eraseFirst(work, '-', negative);
    if (negative) work.insert(work.begin(), '-');
    if (work.empty()) return 0.0;
    return convert(work, sep);
}

std::string PadLeft(int width, std::string_view text, char padChar) {
    std::size_t length = 0;
    for (char c : text) {
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++length;  // not a continuation byte
    }
    std::string result;
    if (width > 0 && length < static_cast<std::size_t>(width)) {
        result.assign(static_cast<std::size_t>(width) - length, padChar);
    }
    result += text;
    return result;
}
