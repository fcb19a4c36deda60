#pragma once
// The info window: program name, edition and version on a white card. It closes on a
// click or by itself after two seconds, so it can be shown at start-up unattended.

#include <QDialog>

class QLabel;
class QTimer;
class TImage;
class TPanel;

// The version the info window shows.
inline constexpr const char* kLonvarVersion = "1.3 / 21.12.2006-1";

class tFrmInfo : public QDialog {
    Q_OBJECT
public:
    // Borderless, on top of every window, centred on the screen; Timer1 runs from here.
    explicit tFrmInfo(QWidget* owner = nullptr);

    TPanel* PnlMain = nullptr;
    QLabel* LblName = nullptr;
    QLabel* LblProfLight = nullptr;
    TImage* ImgOskel = nullptr;
    TImage* ImgUSB = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label6 = nullptr;
    QLabel* Label8 = nullptr;
    QLabel* Label9 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label1 = nullptr;
    QTimer* Timer1 = nullptr;

    // A click anywhere but on the edition word, and the timer, close the window.
    void OkClick();
    void Timer1Timer();

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
};

// Shows the info window modally over `owner` until it closes.
void ShowInfo(QWidget* owner);
