#pragma once
// The cable count's error box: the transport reports a failed device count once per
// change of its status; the program shows it as a message box over its status window.

#include <QWidget>

#include "transport/d2xx/D2XX.h"

class tD2xxMessageBox : public TD2xxMessageBox {
public:
    explicit tD2xxMessageBox(QWidget* parent) : parent_(parent) {}
    void ShowError(const std::string& text) override;

private:
    QWidget* parent_;
};
