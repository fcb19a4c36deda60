// Feeds arbitrary bytes to the settings reader and writer (and the number text reader). Reading
// never fails, a written file reads back as the same sections and entries, and writing is stable.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "support/ini_integer.h"
#include "support/ini_text.h"
#include "support/num_text.h"

namespace {

bool sameContent(const tavrix::IniDocument& a, const tavrix::IniDocument& b) {
    if (a.hasByteOrderMark != b.hasByteOrderMark || a.sections.size() != b.sections.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.sections.size(); ++i) {
        const auto& x = a.sections[i];
        const auto& y = b.sections[i];
        if (x.Name != y.Name || x.Values.size() != y.Values.size()) return false;
        for (std::size_t j = 0; j < x.Values.size(); ++j) {
            if (x.Values[j].Name != y.Values[j].Name || x.Values[j].Value != y.Values[j].Value) {
                return false;
            }
        }
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const tavrix::IniDocument first = tavrix::ParseIniText(input);
    const std::string written = tavrix::RenderIniText(first);
    const tavrix::IniDocument reread = tavrix::ParseIniText(written);
    if (tavrix::RenderIniText(reread) != written) std::abort();

    // Anything read from a file survives being written once: names and values read
    // never hold the characters that would break the line structure.
    if (!sameContent(first, reread)) std::abort();

    for (const auto& section : first.sections) {
        if (!tavrix::FindIniSection(first.sections, section.Name)) std::abort();
        for (const auto& value : section.Values) {
            if (!tavrix::FindIniValue(section, value.Name)) std::abort();
            (void)tavrix::IniTextToInt(value.Value);
        }
    }
    (void)tavrix::IniTextToInt(input);
    (void)NumTextToFloat(input);
    return 0;
}
