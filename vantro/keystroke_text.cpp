#include "keystroke_text.h"

#include <QString>

namespace {

struct TNamedKeyText {
    const char* Name;
    TNamedKey Key;
};

constexpr TNamedKeyText kNames[] = {
    {"{ENTER}", TNamedKey::Enter}, {"{TAB}", TNamedKey::Tab},   {"{DOWN}", TNamedKey::Down},
    {"{RIGHT}", TNamedKey::Right}, {"{LEFT}", TNamedKey::Left}, {"{UP}", TNamedKey::Up},
};

}  // namespace

std::vector<TKeystroke> ParseKeystrokeText(const std::string& text) {
    std::vector<TKeystroke> keys;
    const std::u32string chars = QString::fromStdString(text).toStdU32String();
    for (size_t i = 0; i < chars.size(); ++i) {
        if (chars[i] == U'{') {
            if (chars.compare(i, 3, U"{+}") == 0) {
                keys.push_back({TNamedKey::Plain, U'+'});
                i += 2;
                continue;
            }
            bool named = false;
            for (const auto& name : kNames) {
                const std::u32string pattern = QString::fromLatin1(name.Name).toStdU32String();
                if (chars.compare(i, pattern.size(), pattern) == 0) {
                    keys.push_back({name.Key, 0});
                    i += pattern.size() - 1;
                    named = true;
                    break;
                }
            }
            if (named) continue;
        }
        keys.push_back({TNamedKey::Plain, chars[i]});
    }
    return keys;
}

std::string DescribeKeystrokes(const std::vector<TKeystroke>& keys) {
    std::string text;
    for (const TKeystroke& key : keys) {
        if (key.Key == TNamedKey::Plain) {
            text += QString::fromStdU32String(std::u32string(1, key.Character)).toStdString();
            continue;
        }
        for (const auto& name : kNames) {
            if (name.Key == key.Key) text += name.Name;
        }
    }
    return text;
}
