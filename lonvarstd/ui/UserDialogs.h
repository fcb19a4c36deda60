#pragma once
// Message boxes and file dialogs go through this seam, so that tests can answer
// them without a real box. The real ones are Qt's own, non-native dialogs (they
// work the same under a virtual X server).

#include <QString>
#include <functional>

class QWidget;

struct tFileDialogRequest {
    QString Title;
    QString StartFolder;  // "" = the current folder
    QString FileName;     // proposed name
    QString Filter;       // Qt filter text, e.g. "Templates (*.ots *.OTS)"
    QString DefaultSuffix;
    bool Save = false;  // save dialog (may name a new file) or open dialog
};

class tUserDialogs {
public:
    virtual ~tUserDialogs() = default;
    // An information or error box with an OK button.
    virtual void ShowMessage(QWidget* parent, const QString& text) = 0;
    // A question with Yes and No; true for Yes.
    virtual bool Confirm(QWidget* parent, const QString& text) = 0;
    // A file dialog; the chosen path, or "" when cancelled.
    virtual QString ChooseFile(QWidget* parent, const tFileDialogRequest& request) = 0;
};

// The dialogs in use: the real ones unless a test has set its own.
tUserDialogs& UserDialogs();
// Tests: nullptr restores the real ones. The object stays the caller's.
void SetUserDialogs(tUserDialogs* dialogs);

// A modal dialog of ours is open (the main window's search timer waits meanwhile).
bool ModalDialogOpen();
// Counts the modal dialogs: one guard per open dialog.
class tModalDialogGuard {
public:
    tModalDialogGuard();
    ~tModalDialogGuard();
    tModalDialogGuard(const tModalDialogGuard&) = delete;
    tModalDialogGuard& operator=(const tModalDialogGuard&) = delete;
};
