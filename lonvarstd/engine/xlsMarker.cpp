#include "engine/xlsMarker.h"

#include <algorithm>
#include <cmath>
#include <mutex>

#include "support/ms_clock.h"

namespace tavrix {

std::string XlsMarkerFor(std::int64_t ms) {
    return CutToChars("Lonvar" + std::to_string(ms), kXlsMarkerMaxChars);
}

std::string NewXlsMarker() {
    // Two workbooks marked within one millisecond would be taken for one another.
    static std::mutex mutex;
    static std::int64_t last = 0;
    std::lock_guard lock(mutex);
    last = std::max(last + 1, static_cast<std::int64_t>(std::llround(GetMsTime())));
    return XlsMarkerFor(last);
}

std::string CutToChars(std::string_view text, std::size_t maxChars) {
    std::size_t chars = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        // A byte that does not continue a character starts one.
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) {
            if (chars == maxChars) return std::string(text.substr(0, i));
            ++chars;
        }
    }
    return std::string(text);
}

}  // namespace tavrix
