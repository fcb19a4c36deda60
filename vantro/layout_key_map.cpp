#include "layout_key_map.h"

#include <xkbcommon/xkbcommon.h>

namespace {

constexpr std::uint32_t kLeftShift = 42;  // KEY_LEFTSHIFT
constexpr std::uint32_t kRightAlt = 100;  // KEY_RIGHTALT, AltGr on layouts with a third level

// The modifier keys for a modifier mask; nullopt for masks these two keys cannot make
// (Control, a layout-switch level ...).
std::optional<std::vector<std::uint32_t>> KeysForMask(xkb_keymap* keymap, xkb_mod_mask_t mask) {
    std::vector<std::uint32_t> keys;
    const xkb_mod_index_t shift = xkb_keymap_mod_get_index(keymap, XKB_MOD_NAME_SHIFT);
    const xkb_mod_index_t levelThree = xkb_keymap_mod_get_index(keymap, "Mod5");
    if (shift != XKB_MOD_INVALID && (mask & (1u << shift))) {
        keys.push_back(kLeftShift);
        mask &= ~(1u << shift);
    }
    if (levelThree != XKB_MOD_INVALID && (mask & (1u << levelThree))) {
        keys.push_back(kRightAlt);
        mask &= ~(1u << levelThree);
    }
    if (mask != 0) return std::nullopt;
    return keys;
}

xkb_context* Context() {
    static xkb_context* context = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
    return context;
}

}  // namespace

std::optional<TLayoutKeyMap> TLayoutKeyMap::FromNames(const std::string& layout,
                                                      const std::string& variant) {
    if (Context() == nullptr) return std::nullopt;
    xkb_rule_names names{};
    names.layout = layout.empty() ? nullptr : layout.c_str();
    names.variant = variant.empty() ? nullptr : variant.c_str();
    xkb_keymap* keymap = xkb_keymap_new_from_names(Context(), &names, XKB_KEYMAP_COMPILE_NO_FLAGS);
    if (keymap == nullptr) return std::nullopt;
    return TLayoutKeyMap(keymap);
}

std::optional<TLayoutKeyMap> TLayoutKeyMap::FromKeymapText(const std::string& text) {
    if (Context() == nullptr) return std::nullopt;
    xkb_keymap* keymap = xkb_keymap_new_from_string(
        Context(), text.c_str(), XKB_KEYMAP_FORMAT_TEXT_V1, XKB_KEYMAP_COMPILE_NO_FLAGS);
    if (keymap == nullptr) return std::nullopt;
    return TLayoutKeyMap(keymap);
}

TLayoutKeyMap::~TLayoutKeyMap() {
    if (Keymap_ != nullptr) xkb_keymap_unref(Keymap_);
}

TLayoutKeyMap::TLayoutKeyMap(TLayoutKeyMap&& other) noexcept : Keymap_(other.Keymap_) {
    other.Keymap_ = nullptr;
}

TLayoutKeyMap& TLayoutKeyMap::operator=(TLayoutKeyMap&& other) noexcept {
    if (this != &other) {
        if (Keymap_ != nullptr) xkb_keymap_unref(Keymap_);
        Keymap_ = other.Keymap_;
        other.Keymap_ = nullptr;
    }
    return *this;
}

int TLayoutKeyMap::LayoutCount() const {
    return int(xkb_keymap_num_layouts(Keymap_));
}

std::string TLayoutKeyMap::Name() const {
    const char* name = xkb_keymap_layout_get_name(Keymap_, 0);
    return name != nullptr ? name : "";
}

std::optional<TKeyPress> TLayoutKeyMap::PressFor(std::uint32_t keysym) const {
    std::optional<TKeyPress> best;
    xkb_level_index_t bestLevel = 0;
    for (xkb_keycode_t code = xkb_keymap_min_keycode(Keymap_);
         code <= xkb_keymap_max_keycode(Keymap_) && code >= 8; ++code) {
        const xkb_level_index_t levels = xkb_keymap_num_levels_for_key(Keymap_, code, 0);
        for (xkb_level_index_t level = 0; level < levels; ++level) {
            if (best && level >= bestLevel) break;
            const xkb_keysym_t* syms = nullptr;
            if (xkb_keymap_key_get_syms_by_level(Keymap_, code, 0, level, &syms) != 1 ||
                syms[0] != keysym) {
                continue;
            }
            xkb_mod_mask_t masks[8];
            const std::size_t count =
                xkb_keymap_key_get_mods_for_level(Keymap_, code, 0, level, masks, 8);
            for (std::size_t i = 0; i < count; ++i) {
                if (auto keys = KeysForMask(Keymap_, masks[i])) {
                    best = TKeyPress{code - 8, *keys};
                    bestLevel = level;
                    break;
                }
            }
        }
    }
    return best;
}
