// Arbitrary bytes from the line, and arbitrary line-parameter and port-map texts: nothing
// may crash, and what is kept of a reading stays bounded and within its character set.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "line_parameters.h"
#include "port_map.h"
#include "reading_assembler.h"
#include "reading_display.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    TReadingAssembler assembler;
    const TReadingOptions options{size % 2 == 0, size % 3 == 0};
    for (char ch : text) {
        if (assembler.Feed(ch, options)) {
            for (char kept : assembler.ReadingText()) {
                if (std::string("0123456789-.+").find(kept) == std::string::npos) std::abort();
            }
            DisplayedReading(assembler.ReadingText(), true, options.CommaSeperator, ',');
            DisplayedReading(assembler.ReadingText(), false, options.CommaSeperator, '.');
            assembler.Clear();
        }
        if (assembler.ReadingText().size() > TReadingAssembler::kMaxReadingLength) std::abort();
    }
    TLineParameters params;
    ParsePortSettings(text, params);
    DecodePortSettings(text);
    BuildPortSettings(params);
    ParsePortOverrides(text);
    return 0;
}
