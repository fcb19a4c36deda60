#pragma once
// The about box; without its button it serves as the start-up splash.

#include <QDialog>

class QLabel;
class QPushButton;

class TAboutBox : public QDialog {
    Q_OBJECT
public:
    TAboutBox(bool asSplash, QWidget* parent = nullptr);

    QLabel* Label1 = nullptr;
    QPushButton* OkButton = nullptr;  // absent in the splash
};
