#pragma once
// Keystroke text: plain characters stand for themselves, a name in braces for one key
// ("{+}" the plus character, "{ENTER}", "{TAB}", "{DOWN}", "{RIGHT}", "{LEFT}", "{UP}").

#include <string>
#include <vector>

enum class TNamedKey { Plain, Enter, Tab, Down, Right, Left, Up };

struct TKeystroke {
    TNamedKey Key = TNamedKey::Plain;  // Plain: Character is the key
    char32_t Character = 0;

    bool operator==(const TKeystroke&) const = default;
};

// Splits keystroke text into keys. UTF-8 characters become one key each; a brace that
// does not open a known name is typed as itself.
std::vector<TKeystroke> ParseKeystrokeText(const std::string& text);

// The keys back as readable text, named keys in braces; for tests and diagnostics.
std::string DescribeKeystrokes(const std::vector<TKeystroke>& keys);
