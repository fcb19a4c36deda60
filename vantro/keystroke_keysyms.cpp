#include "keystroke_keysyms.h"

namespace {

// Keysym values as X11 and xkbcommon define them.
constexpr std::uint32_t kReturn = 0xff0d;
constexpr std::uint32_t kTab = 0xff09;
constexpr std::uint32_t kLeft = 0xff51;
constexpr std::uint32_t kUp = 0xff52;
constexpr std::uint32_t kRight = 0xff53;
constexpr std::uint32_t kDown = 0xff54;
constexpr std::uint32_t kUnicodeBase = 0x01000000;

}  // namespace

std::uint32_t KeysymForKeystroke(const TKeystroke& key) {
    switch (key.Key) {
        case TNamedKey::Enter:
            return kReturn;
        case TNamedKey::Tab:
            return kTab;
        case TNamedKey::Down:
            return kDown;
        case TNamedKey::Right:
            return kRight;
        case TNamedKey::Left:
            return kLeft;
        case TNamedKey::Up:
            return kUp;
        case TNamedKey::Plain:
            break;
    }
    if (key.Character >= 0x20 && key.Character <= 0xff) return key.Character;
    return kUnicodeBase | key.Character;
}
