#pragma once
// The help window: opens one of the help files that ship with the wedge at its index.
// Help files are looked for in the "help" folder next to the program, then in the folder
// named by VANTRO_HELP_DIR; the name's letter case and extension do not matter, the
// shipped files being HTML.

#include <QDialog>
#include <string>

class QTextBrowser;

// Full path of a help file, or empty when none is found.
std::string FindHelpFile(const std::string& helpFile);

class THelpWindow : public QDialog {
    Q_OBJECT
public:
    explicit THelpWindow(QWidget* owner);
    // Shows the file at its index; a missing file is said so in the window itself.
    void ShowIndex(const std::string& helpFile);
    QTextBrowser* Browser() const { return Browser_; }

private:
    QTextBrowser* Browser_ = nullptr;
};

// Opens (or reuses) the owner's help window at the index of the file.
void OpenHelpIndex(const std::string& helpFile, QWidget* owner);
