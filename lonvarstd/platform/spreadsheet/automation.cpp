#include "platform/spreadsheet/automation.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <filesystem>

namespace tavrix::spreadsheet {

CellValue CellValue::Number(double v, std::string shown) {
    CellValue c;
    c.kind = Kind::Number;
    c.number = v;
    c.text = std::move(shown);
    return c;
}

CellValue CellValue::Text(std::string t) {
    CellValue c;
    c.kind = t.empty() ? Kind::Empty : Kind::Text;
    c.text = std::move(t);
    return c;
}

bool IsTemplateFile(const std::string& path) {
    std::string ext = std::filesystem::path(path).extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char ch) { return static_cast<char>(std::tolower(ch)); });
    static const std::array<const char*, 5> kTemplates = {".xlt", ".xltx", ".xltm", ".ots", ".stc"};
    return std::find(kTemplates.begin(), kTemplates.end(), ext) != kTemplates.end();
}

std::int32_t SwapRedBlue(std::int32_t color) {
    const auto c = static_cast<std::uint32_t>(color);
    return static_cast<std::int32_t>((c & 0xFF00FF00u) | ((c & 0xFFu) << 16) | ((c >> 16) & 0xFFu));
}

}  // namespace tavrix::spreadsheet
