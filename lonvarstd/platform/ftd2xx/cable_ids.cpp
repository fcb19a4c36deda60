#include "ftd2xx/cable_ids.h"

#include <sys/stat.h>

#include <cstdlib>
#include <sstream>

#include "support/new_ini_file.h"
#include "support/prog_paths.h"

namespace tavrix::ftd2xx {

namespace {

bool hexWord(const std::string& text, std::uint16_t& out) {
    if (text.empty() || text.size() > 4) return false;
    char* end = nullptr;
    const unsigned long v = std::strtoul(text.c_str(), &end, 16);
    if (*end != '\0') return false;
    out = static_cast<std::uint16_t>(v);
    return true;
}

}  // namespace

std::vector<UsbId> parseCableIds(const std::string& text) {
    std::string spaced = text;
    for (char& c : spaced)
        if (c == ',' || c == ';') c = ' ';
    std::vector<UsbId> ids;
    std::istringstream in(spaced);
    for (std::string word; in >> word;) {
        const auto colon = word.find(':');
        UsbId id;
        if (colon == std::string::npos || !hexWord(word.substr(0, colon), id.vendor) ||
            !hexWord(word.substr(colon + 1), id.product))
            continue;
        ids.push_back(id);
    }
    return ids;
}

std::vector<UsbId> extraCableIds() {
    // A lookup must not create the program INI file, which the INI class would.
    const std::string path = ProgIniFile;
    struct stat st {};
    if (path.empty() || ::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return {};
    tPgIniFile ini(path);
    return parseCableIds(ini.ReadString("USB", "CableIds", ""));
}

}  // namespace tavrix::ftd2xx
