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

// Status line and message for a serial device the user may not open, with what to do.
std::string NoPermissionText(int languageIndex, const std::string& devicePath);
