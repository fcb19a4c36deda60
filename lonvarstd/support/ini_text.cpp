#include "support/ini_text.h"

#include "support/ascii_text.h"

namespace tavrix {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// Applies one line to the document; `current` is the section entries go to.
void readLine(std::string_view line, IniDocument& document, TIniSection*& current) {
    // Inside a section, any line with "=" is an entry, even one that also holds "[".
    const auto equals = line.find('=');
    if (current != nullptr && equals != std::string_view::npos) {
        current->Values.push_back(
            TIniValue{std::string(TrimBlanksAndControls(line.substr(0, equals))),
                      std::string(line.substr(equals + 1))});
        return;
    }
    // Any other line with "[" opens a section: "; see [x]" opens "x", and a header
    // without "]" takes the rest of the line as its name.
    const auto open = line.find('[');
    if (open == std::string_view::npos) return;
    std::string_view name = line.substr(open + 1);
    const auto close = name.find(']');
    if (close != std::string_view::npos) name = name.substr(0, close);
    document.sections.push_back(TIniSection{std::string(name), {}});
    current = &document.sections.back();
}

}  // namespace

IniDocument ParseIniText(std::string_view text) {
    IniDocument document;
    if (text.starts_with(kByteOrderMark)) {
        document.hasByteOrderMark = true;
        text.remove_prefix(kByteOrderMark.size());
    }
    TIniSection* current = nullptr;
    while (!text.empty()) {
        const auto lf = text.find('\n');
        std::string_view line = text.substr(0, lf);
        text = (lf == std::string_view::npos) ? std::string_view{} : text.substr(lf + 1);
        const auto cr = line.find('\r');
        if (cr != std::string_view::npos) line = line.substr(0, cr);
        readLine(line, document, current);
    }
    return document;
}

std::string RenderIniText(const IniDocument& document) {
    std::size_t size = document.hasByteOrderMark ? kByteOrderMark.size() : 0;
    for (const auto& section : document.sections) {
        size += section.Name.size() + 4;
        for (const auto& value : section.Values) size += value.Name.size() + value.Value.size() + 3;
    }
    std::string text;
    text.reserve(size);
    if (document.hasByteOrderMark) text += kByteOrderMark;
    for (const auto& section : document.sections) {
        text += '[';
        text += section.Name;
        text += "]\r\n";
        for (const auto& value : section.Values) {
            text += value.Name;
            text += '=';
            text += value.Value;
            text += "\r\n";
        }
    }
    return text;
}

std::optional<std::size_t> FindIniSection(const std::vector<TIniSection>& sections,
                                          std::string_view name) {
    for (std::size_t i = 0; i < sections.size(); ++i) {
        if (AsciiSameText(sections[i].Name, name)) return i;
    }
    return std::nullopt;
}

std::optional<std::size_t> FindIniValue(const TIniSection& section, std::string_view name) {
    for (std::size_t i = 0; i < section.Values.size(); ++i) {
        if (AsciiSameText(section.Values[i].Name, name)) return i;
    }
    return std::nullopt;
}

}  // namespace tavrix
