// Gauge answers are outside input: any bytes may come down the line. The value
// is cut out of them by rules of any shape, converted to a number and turned
// into a cell text; none of that may crash, loop or read out of bounds.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <string>

#include "engine/deviceDescr.h"
#include "engine/valueExtraction.h"
#include "engine/xlsValueText.h"
#include "support/num_text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    tDeviceDescr descr;
    for (tDescrRule& rule : descr.Rules) {
        rule.RuleKind = input.ConsumeIntegralInRange<std::uint8_t>(0, 4);
        rule.From = input.ConsumeIntegralInRange<std::int32_t>(-2, 40);
        rule.Len = input.ConsumeIntegralInRange<std::int32_t>(-2, 40);
        rule.TokenNo = input.ConsumeIntegralInRange<std::int32_t>(-2, 12);
    }
    descr.FilterChars = input.ConsumeRandomLengthString(12);
    descr.FilterCount = input.ConsumeIntegralInRange<std::int32_t>(-1, 14);
    const std::string answer = input.ConsumeRemainingBytesAsString();

    const std::string value = tavrix::ExtractValueText(answer, descr);
    // Whatever a rule cuts out comes from the answer: it can never be longer.
    if (value.size() > answer.size()) __builtin_trap();

    const std::string filter = descr.FilterChars.substr(
        0, static_cast<std::size_t>(std::max(0, std::min<int>(descr.FilterCount, 12))));
    for (int tokenNo = 0; tokenNo < 4; ++tokenNo) {
        if (tavrix::TokenText(answer, tokenNo, filter).size() > answer.size()) __builtin_trap();
    }
    (void)NumTextToFloat(value);
    (void)tavrix::XlsValueText(value, '.');
    (void)tavrix::XlsValueText(answer, ',');
    return 0;
}
