#pragma once
// The in-memory form of a settings file and its conversion from and to file text.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// One entry: Name is trimmed, Value is everything behind the first "=", untouched.
struct TIniValue {
    std::string Name;
    std::string Value;
};

// One section: Name as found between the brackets, untrimmed; entries in file order.
struct TIniSection {
    std::string Name;
    std::vector<TIniValue> Values;
};

namespace tavrix {

struct IniDocument {
    // Files saved by other tools may start with a UTF-8 byte order mark; it is kept
    // apart from the first line and written back so the file keeps its encoding mark.
    bool hasByteOrderMark = false;
    std::vector<TIniSection> sections;
};

// Reads file text line by line (LF or CR LF; a line's text stops at its first CR).
// There is no comment syntax; see the notes in the implementation for header lines.
IniDocument ParseIniText(std::string_view text);

// "[Name]" then "Name=Value" per entry, every line ending in CR LF, nothing else.
std::string RenderIniText(const IniDocument& document);

// First-match lookups with ASCII case-insensitive names.
std::optional<std::size_t> FindIniSection(const std::vector<TIniSection>& sections,
                                          std::string_view name);
std::optional<std::size_t> FindIniValue(const TIniSection& section, std::string_view name);

}  // namespace tavrix
