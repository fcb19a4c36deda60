#include "support/multi_lang.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>

#include "support/ascii_text.h"
#include "support/file_ext.h"
#include "support/ini_io_error.h"
#include "support/ini_text.h"
#include "support/new_ini_file.h"
#include "support/prog_layout.h"
#include "support/prog_paths.h"
#include "support/safe_file_replace.h"

TMultiLang* MultiLang = nullptr;

namespace {

constexpr const char* LangExt = ".LLNG";
// What a lookup gives for a missing entry; a translation reading "?" counts as missing.
constexpr const char* Missing = "?";

// The whole file; nullopt when it cannot be read.
std::optional<std::string> readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (in.bad()) return std::nullopt;
    return text;
}

std::string lookUp(const tavrix::IniDocument& doc, std::string_view section, std::string_view key) {
    const auto s = tavrix::FindIniSection(doc.sections, section);
    if (!s) return Missing;
    const auto& found = doc.sections[*s];
    const auto v = tavrix::FindIniValue(found, tavrix::TrimBlanksAndControls(key));
    return v ? found.Values[*v].Value : std::string(Missing);
}

// Adds or replaces an entry; false when it was there already with that value.
bool store(tavrix::IniDocument& doc, std::string_view section, std::string_view key,
           const std::string& value) {
    const std::string_view name = tavrix::TrimBlanksAndControls(key);
    auto s = tavrix::FindIniSection(doc.sections, section);
    if (!s) {
        doc.sections.push_back(TIniSection{std::string(section), {}});
        s = doc.sections.size() - 1;
    }
    TIniSection& target = doc.sections[*s];
    if (const auto v = tavrix::FindIniValue(target, name)) {
        if (target.Values[*v].Value == value) return false;
        target.Values[*v].Value = value;
    } else {
        target.Values.push_back(TIniValue{std::string(name), value});
    }
    return true;
}

// A shown text that would not read back as the same key ("=" splits it, "[" starts a
// section, a blank one is no key) is not remembered.
bool fitsScratchKey(const std::string& text) {
    const std::string_view trimmed = tavrix::TrimBlanksAndControls(text);
    return !trimmed.empty() && trimmed.front() != '[' && text.find('=') == std::string::npos;
}

bool endsWithNoCase(const std::string& text, std::string_view tail) {
    return text.size() >= tail.size() &&
           tavrix::AsciiSameText(std::string_view(text).substr(text.size() - tail.size()), tail);
}

}  // namespace

// One translation run: the language file and the scratch file held in memory.
struct TMultiLang::Run {
    int depth = 1;
    tavrix::IniDocument lang;
    tavrix::IniDocument scratch;
    bool scratchModified = false;
};

TMultiLang::TMultiLang() {
    if (!ProgIniFile.empty()) LangScratchFile = tavrix::ProgLayout().ScratchFile();
    if (!LangScratchFile.empty()) ::unlink(LangScratchFile.c_str());
    ReadLanguage();
}

TMultiLang::~TMultiLang() {
    if (MultiLang == this) MultiLang = nullptr;
}

void TMultiLang::ReadLanguage() {
    if (ProgIniFile.empty()) return;
    try {
        TNewIniFile ini(ProgIniFile);
        Language = ini.ReadString("DEFAULT", "LANGUAGE", "Deutsch");
    } catch (const tavrix::IniIoError& e) {
        std::cerr << "language setting not read: " << e.what() << '\n';
    }
}

void TMultiLang::SaveLanguage() const {
    if (ProgIniFile.empty()) return;
    TNewIniFile ini(ProgIniFile);
    ini.WriteString("DEFAULT", "LANGUAGE", Language);
    ini.UpdateFile();
}

std::vector<std::string> TMultiLang::ListLanguages() const {
    std::vector<std::string> names;
    // The user's own language files come first; a shipped one of the same name is theirs.
    for (const std::string& dataFolder : tavrix::ProgLayout().DataFolders()) {
        std::error_code error;
        const std::filesystem::path folder = dataFolder.empty() ? "." : dataFolder;
        for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
            std::error_code typeError;
            if (!entry.is_regular_file(typeError)) continue;
            const std::string name = entry.path().filename().string();
            if (name.size() <= std::strlen(LangExt) || !endsWithNoCase(name, LangExt)) continue;
            std::string language = name.substr(0, name.size() - std::strlen(LangExt));
            const bool known = std::any_of(names.begin(), names.end(), [&](const std::string& n) {
                return tavrix::AsciiSameText(n, language);
            });
            if (!known) names.push_back(std::move(language));
        }
    }
    std::stable_sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                            [](char x, char y) {
                                                return std::tolower(static_cast<unsigned char>(x)) <
                                                       std::tolower(static_cast<unsigned char>(y));
                                            });
    });
    return names;
}

std::string TMultiLang::LanguageFilePath() const {
    if (Language.empty()) return {};
    return FindProgFile(Language + LangExt, "LNG/");
}

bool TMultiLang::BeginTexts() {
    if (run_) {
        ++run_->depth;
        return Active;
    }
    Active = false;
    const std::string path = LanguageFilePath();
    if (path.empty()) return false;
    auto text = readFile(path);
    if (!text) {
        std::cerr << "language file not readable: " << path << '\n';
        return false;
    }
    auto run = std::make_unique<Run>();
    run->lang = tavrix::ParseIniText(*text);
    // The scratch file only helps to find keys again; an unreadable one starts empty.
    if (!LangScratchFile.empty()) {
        if (auto scratch = readFile(LangScratchFile)) {
            run->scratch = tavrix::ParseIniText(*scratch);
        } else {
            run->scratchModified = true;  // a missing scratch file is created
        }
    }
    run_ = std::move(run);
    Active = true;
    return true;
}

void TMultiLang::EndTexts() {
    if (!run_ || --run_->depth > 0) return;
    const std::unique_ptr<Run> run = std::move(run_);
    if (!run->scratchModified || LangScratchFile.empty()) return;
    // Written in place without a backup: the ".bak" name is the program INI file's.
    try {
        tavrix::ReplaceFileKeepingBackup(LangScratchFile, tavrix::RenderIniText(run->scratch),
                                         LangScratchFile);
    } catch (const tavrix::IniIoError& e) {
        // The translation itself succeeded; only re-translation by the scratch file suffers.
        std::cerr << "language scratch file not written: " << e.what() << '\n';
    }
}

std::string TMultiLang::Translate(const std::string& section, const std::string& text,
                                  bool noAmpStrip, std::string* keyOut) {
    if (keyOut) keyOut->clear();
    if (!Active || !run_ || text.empty()) return text;
    const std::string sect = section.empty() ? "_" : section;

    // A text shown before is looked up in the scratch file for the key it came from.
    std::string key = text;
    if (key.front() != '~') {
        const std::string previous = lookUp(run_->scratch, sect, key);
        if (previous != Missing) key = previous;
    }
    if (key.empty() || key.front() != '~') return text;
    if (keyOut) *keyOut = key;

    std::string suffix;
    if (const auto hash = key.find('#'); hash != std::string::npos) {
        suffix = key.substr(hash + 1);
        key.resize(hash);
    }
    std::string translated = lookUp(run_->lang, sect, key);
    if (translated == Missing) return key;
    if (!noAmpStrip) {
        if (const auto amp = translated.find('&'); amp != std::string::npos)
            translated.erase(amp, 1);
    }
    if (fitsScratchKey(translated) && store(run_->scratch, sect, translated, key)) {
        run_->scratchModified = true;
    }
    return translated + suffix;
}

std::string TMultiLang::TranslateText(const std::string& section, const std::string& text,
                                      bool noAmpStrip) {
    BeginTexts();
    std::string result = Translate(section, text, noAmpStrip);
    EndTexts();
    return result;
}
