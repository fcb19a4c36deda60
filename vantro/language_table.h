#pragma once
// Captions of the main window per language, the help file of each language and the
// window caption while the port is open.

#include <string>
#include <utility>
#include <vector>

enum TLanguage {
    LangEnglish = 0,
    LangGerman = 1,
    LangFrench = 2,
    LangSpanish = 3,
    LangItalian = 4
};
inline constexpr int kLanguageCount = 5;

// Control object name and caption, in the order the language switch sets them (menus,
// then frames and labels, then check boxes). Empty for Spanish, which has no captions.
std::vector<std::pair<std::string, std::string>> CaptionsFor(int languageIndex);

// Help file of a language; the English file for an unknown index.
std::string HelpFileFor(int languageIndex);

// Window caption for the port state; the open form is translated (Spanish uses English).
std::string ClosedCaption();
std::string OpenCaption(int languageIndex, const std::string& portText);

// Texts of the status line and of the messages that go with it. "%1", "%2" ... take the
// details in the order given.
enum class TStatusText {
    Literal,  // not translated: a device path, a system error, a key name
    List,     // the details, parted by commas
    StatusLine,
    TypingNone,
    TypingNoneBecause,
    TypingNoneVia,
    RouteVirtualKeyboard,
    RoutePortal,
    PortalHotKeys,
    Asking,
    HotKeysBound,
    HotKeyOn,
    HotKeysNotBound,
    HotKeysNotBoundBrief,
    PortalNoSession,
    PortalGaveNoKeyboard,
    PortalRefused,
    PortalRefusedBrief,
    PortalNoKeyboard,
    PortalNoSessionBus,
    PortalNotOffered,
    PortalOffersNoKeyboard,
    NoXTest,
    NoCompositor,
    NoVirtualKeyboard,
    NoKeymapFile,
    CompositorRefused,
    NoLayout,
    UinputCannotOpen,
    UinputNoAccess,
    UinputNoModule,
    UinputCannotCreate,
    CannotType,
    PortNoPermission,
    PortNoPermissionAdvice,
    PortNotOpened,
    PortNotOpenedBecause,
    Count
};

// A status text with its details, each again a text, so that the whole can be said anew
// when the language changes.
struct TStatusMessage {
    TStatusMessage() = default;
    TStatusMessage(std::string literal) : Text(std::move(literal)) {}
    TStatusMessage(const char* literal) : Text(literal) {}
    TStatusMessage(TStatusText id, std::vector<TStatusMessage> args = {})
        : Id(id), Args(std::move(args)) {}
    bool operator==(const TStatusMessage&) const = default;

    TStatusText Id = TStatusText::Literal;
    std::string Text;
    std::vector<TStatusMessage> Args;
};

// The message in a language; Spanish and unknown languages use English.
std::string StatusText(int languageIndex, const TStatusMessage& message);
// The message as the status line says it: a reason or an advice left to the tooltip.
TStatusMessage Brief(const TStatusMessage& message);
// The bare table entry, its "%1" ... left in place; empty where the language has none.
std::string StatusTemplate(int languageIndex, TStatusText id);
