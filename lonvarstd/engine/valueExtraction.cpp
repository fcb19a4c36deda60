// Cutting the value text out of a gauge's answer with the rules of its type.
#include "engine/valueExtraction.h"

#include <algorithm>

#include "engine/device.h"
#include "support/num_text.h"

namespace tavrix {

namespace {

std::string FilterOf(const tDeviceDescr& descr) {
    const auto count = static_cast<std::size_t>(std::max(0, descr.FilterCount));
    return descr.FilterChars.substr(0, std::min(count, descr.FilterChars.size()));
}

}  // namespace

std::string FixedPositionText(const std::string& answer, const tDescrRule& rule,
                              const std::string& filter) {
    if (rule.From <= 0 || rule.Len <= 0 || answer.size() < static_cast<std::size_t>(rule.From)) {
        return {};
    }
    std::string text =
        answer.substr(static_cast<std::size_t>(rule.From - 1), static_cast<std::size_t>(rule.Len));
    for (char c : filter) text.erase(std::remove(text.begin(), text.end(), c), text.end());
    return text;
}

std::string TokenText(const std::string& answer, std::int32_t tokenNo,
                      const std::string& separators) {
    std::string text = answer;
    // 1-based position of the first separator, 0 when there is none.
    auto firstSeparator = [&] {
        const std::size_t p =
            separators.empty() ? std::string::npos : text.find_first_of(separators);
        return p == std::string::npos ? std::size_t{0} : p + 1;
    };
    std::size_t p = 0;
    if (tokenNo > 0) {
        std::int32_t counter = 0;
        do {
            p = firstSeparator();
            if (p == 1) {
                text.erase(0, 1);  // separators before a token
            } else {
                ++counter;
                if (counter < tokenNo && p > 1) text.erase(0, p);
            }
        } while (counter < tokenNo && p != 0);
    }
    if (p != 0) {
        while (firstSeparator() == 1) text.erase(0, 1);
        const std::size_t end = firstSeparator();
        if (end > 0) return text.substr(0, end - 1);
    }
    // Fewer tokens than asked for: the last one.
    return text;
}

std::string ExtractValueText(const std::string& answer, const tDeviceDescr& descr) {
    const std::string filter = FilterOf(descr);
    std::string result;
    for (const tDescrRule& rule : descr.Rules) {
        if (rule.RuleKind == RuleFixedPos) {
            result = FixedPositionText(answer, rule, filter);
        } else if (rule.RuleKind == RuleToken) {
            result = TokenText(answer, rule.TokenNo, filter);
        } else {
            result.clear();
        }
        if (!result.empty()) break;
    }
    return result;
}

}  // namespace tavrix

void tDevice::ExtractValue() {
    const std::string answer = GetFirstValue();
    // An empty answer keeps the value shown before.
    if (!answer.empty() && Descr != nullptr) MwText = tavrix::ExtractValueText(answer, *Descr);
    MwValue = MwText.empty() ? 0.0 : NumTextToFloat(MwText);
}
