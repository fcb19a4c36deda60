#include "shell/d2xxMessageBox.h"

#include "ui/UserDialogs.h"

void tD2xxMessageBox::ShowError(const std::string& text) {
    UserDialogs().ShowMessage(parent_, QString::fromStdString(text));
}
