#include "reading_display.h"

#include <charconv>
#include <cmath>
#include <cstdio>

double ReadingValue(const std::string& readingText) {
    const char* first = readingText.data();
    const char* last = first + readingText.size();
    bool negative = false;
    if (first != last && (*first == '+' || *first == '-')) {
        negative = *first == '-';
        ++first;
    }
    if (first == last || (*first != '.' && (*first < '0' || *first > '9'))) return 0.0;
    double value = 0.0;
    // from_chars does not depend on the process locale, unlike strtod.
    const auto result = std::from_chars(first, last, value, std::chars_format::fixed);
    if (result.ec != std::errc()) return 0.0;
    return negative ? -value : value;
}

std::string CompactReading(const std::string& readingText, char decimalSymbol) {
    double value = std::round(ReadingValue(readingText) * 10000.0) / 10000.0;
    if (value == 0.0) value = 0.0;  // no "-000.0000"
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%08.4f", std::fabs(value));
    std::string text = buffer;
    for (char& c : text) {
        if (c == '.') c = decimalSymbol;
    }
    return value < 0 ? "-" + text : text;
}

std::string DisplayedReading(const std::string& readingText, bool settingsHidden,
                             bool commaSeperator, char systemDecimalSymbol) {
    std::string text =
        settingsHidden ? CompactReading(readingText, systemDecimalSymbol) : readingText;
    if (commaSeperator) {
        for (char& c : text) {
            if (c == '.') c = ',';
        }
    }
    if (!settingsHidden) return text;
    return (text.starts_with('-') ? " " : "  ") + text;
}
