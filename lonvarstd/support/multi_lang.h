#pragma once
// Translation of texts that begin with "~": the language file of the language in
// force (an INI file "<Language>.LLNG") gives each "~" key its text, and a scratch
// file remembers which shown text came from which key, so that texts already
// translated can be translated again into another language. Qt-free; the walk over
// a window's controls and the language dialog live in ui/MultiLang.h.

#include <memory>
#include <string>
#include <vector>

class TNewIniFile;

class TMultiLang {
public:
    // LangScratchFile <- the layout's scratch file (the executable's name with ".TMP"); that file
    // is deleted, so every run starts with an empty scratch file; then ReadLanguage.
    TMultiLang();
    ~TMultiLang();
    TMultiLang(const TMultiLang&) = delete;
    TMultiLang& operator=(const TMultiLang&) = delete;

    // The language in force, e.g. "Deutsch".
    std::string Language = "Deutsch";
    // A language file was found for the current (or last) translation run.
    bool Active = false;
    std::string LangScratchFile;

    // [DEFAULT] LANGUAGE of the program INI file, default "Deutsch".
    void ReadLanguage();
    void SaveLanguage() const;
    // The names (without folder and ".LLNG") of the language files in the layout's data
    // folders themselves (portable: ProgDir), each name once, sorted; "LNG/" is not listed.
    std::vector<std::string> ListLanguages() const;
    // Where the language file of `Language` lies (FindProgFile with "LNG/"); "" if none.
    std::string LanguageFilePath() const;

    // Opens the language and scratch files for a series of Translate calls; false
    // (and Active false) when no language file was found or it cannot be read.
    // Calls may nest; only the outermost EndTexts releases the files.
    bool BeginTexts();
    // Releases them; the scratch file is written when it got new entries (without
    // a ".bak": the program INI file's backup has the same name). A scratch file that
    // cannot be written is reported on stderr: the translations stand.
    void EndTexts();
    // The translation of `text` under `section` ("" = "_"); valid between
    // BeginTexts and EndTexts, the text unchanged otherwise. `keyOut`, when given,
    // receives the "~" key the text came from, "#" suffix included ("" when it has
    // none), so that the caller can keep it for the next translation.
    std::string Translate(const std::string& section, const std::string& text, bool noAmpStrip,
                          std::string* keyOut = nullptr);
    // One text, for messages: BeginTexts, Translate, EndTexts.
    std::string TranslateText(const std::string& section, const std::string& text,
                              bool noAmpStrip = false);

private:
    struct Run;
    std::unique_ptr<Run> run_;
};

// The program's one translator: the shell makes it first and sets this; it is
// cleared when that translator is destroyed.
extern TMultiLang* MultiLang;
