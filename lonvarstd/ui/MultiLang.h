#pragma once
// Translating a whole window, and the language dialog.

#include <QDialog>
#include <string>

class QComboBox;
class QPushButton;
class QWidget;
class TD;
class TMultiLang;

// Translates `form`'s title and its controls, each looked up under the form's
// object name: push buttons, tool buttons (speed buttons), radio buttons, check
// boxes, labels, line edits (hint only), our panels, menu actions, combo box items,
// group boxes, tab pages and images (hint only); tooltips are the hints. Each
// control remembers its own "~" key (dynamic properties "LangKey_<what>" and
// "LangShown_<what>"), so translating again into another language always finds the
// right key; a text the program has set since is translated from itself. Windows
// inside the form (dialogs) are left to their own translation; popup menus are
// part of the form. Nothing changes when no language file is found.
void TranslateForm(TMultiLang& lang, QWidget* form);
// The same with the program's translator (MultiLang); nothing when there is none.
void TranslateForm(QWidget* form);
// One message text with the program's translator; unchanged when there is none.
QString TranslateText(const std::string& text, bool noAmpStrip = false);

// TD::LoadLangTexts with the translations of section "_" in one translation run: at
// start-up once the translator and D exist, and after each change of language.
void LoadLangTexts(TMultiLang& lang, TD& d);
// The same with the program's translator; the untranslated keys when there is none.
void LoadLangTexts(TD& d);

// The language dialog, object name "MultiLang": CBx lists the languages in the
// program folder; BtnOk saves the choice and translates every top-level window.
class TFrmMultiLang : public QDialog {
    Q_OBJECT
public:
    explicit TFrmMultiLang(TMultiLang& lang, QWidget* parent = nullptr);

    QComboBox* CBx = nullptr;
    QPushButton* BtnOk = nullptr;
    QPushButton* FileCancel = nullptr;

    void LoadLanguageList();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void BtnOkClick();
    // The buttons (and the dialog) grow when a translation is longer than they are.
    void FitButtons();
    TMultiLang& lang_;
};

// Shows the language dialog modally; true when the user confirmed (the windows are
// then translated; the caller reloads the engine's captions and refreshes).
bool ChooseLanguage(QWidget* parent);
