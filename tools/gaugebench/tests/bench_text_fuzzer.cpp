// Command lines from the socket must never crash the bench's parser.

#include <cstddef>
#include <cstdint>
#include <string>

#include "bench/bench_text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string line(reinterpret_cast<const char*>(data), size);
    if (auto words = tavrix::bench::splitWords(line)) {
        for (const auto& w : *words) {
            // What was parsed quotes back to something that parses the same.
            auto again = tavrix::bench::splitWords(tavrix::bench::quote(w.value));
            if (!again || again->size() != 1 || (*again)[0].value != w.value) __builtin_trap();
        }
    }
    tavrix::bench::fromHex(line);
    tavrix::bench::toNumber(line);
    return 0;
}
