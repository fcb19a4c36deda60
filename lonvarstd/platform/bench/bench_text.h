#pragma once
// Text helpers shared by the bench and its clients: the control protocol is
// line based, with data as hex and strings quoted with C-style escapes.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tavrix::bench {

std::string toHex(const std::string& bytes);
// nullopt when the text is not an even count of hex digits.
std::optional<std::string> fromHex(const std::string& hex);

// Wraps bytes in double quotes, escaping quotes, backslashes and every byte
// outside printable ASCII, so the result is one safe line.
std::string quote(const std::string& bytes);

// One word of a command line: `key=value` gives both, a bare word gives only
// the value. Quoted parts are unescaped.
struct Word {
    std::string key;
    std::string value;
};
// Splits a command line at blanks outside quotes; nullopt on a broken quote or escape.
std::optional<std::vector<Word>> splitWords(const std::string& line);

// Parses a whole decimal or 0x-prefixed number; nullopt otherwise.
std::optional<std::int64_t> toNumber(const std::string& text);

}  // namespace tavrix::bench
