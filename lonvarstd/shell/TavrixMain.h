#pragma once
// The status window FrmTavrixMain: the program's main form. It runs the start-up
// sequence, receives every message of the engine and of the keyboard hook as an event
// with the message's number, shows the last value with its device name and an activity
// lamp, and ends the program.

#include <QLabel>
#include <QStringList>
#include <QTimer>
#include <QWidget>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>

#include "engine/deviceListModel.h"
#include "shell/engineEvent.h"
#include "shell/hookLoader.h"
#include "shell/valueReport.h"
#include "ui/Frmsize.h"

class TD;
class TDXLed;
class TImage;
class TPanel;
class tMainWindowLink;

// The init run's switch: "I" on the command line.
extern bool SwitchI;

// Sets SwitchD and SwitchI from the command-line parameters (without the program's
// name): each must be the whole letter, in either case ("/D" sets nothing).
void ReadStartSwitches(const QStringList& parameters);

// What the program plugs into the status window; tests plug stand-ins.
struct tStatusWindowParts {
    // Makes the hidden main window once D exists; empty: the program runs without one.
    std::function<std::unique_ptr<tMainWindowLink>(TD& d, QWidget* statusWindow)> MakeMainWindow;
    // The info window at start (it closes by itself); may stay empty.
    std::function<void(QWidget* parent)> ShowInfo;
    // Where the hook library lies; "" = the layout's (portable: ProgDir "libTavFxHook.so").
    std::string HookLibraryPath;
};

class TFrmTavrixMain : public QWidget {
    Q_OBJECT
public:
    // FormCreate. `parameters`: the command line without the program's name. Throws
    // when a step fails; everything made so far is freed again.
    TFrmTavrixMain(const QStringList& parameters, tStatusWindowParts parts,
                   QWidget* parent = nullptr);
    // FormDestroy: also frees what a close left (a window destroyed without closing).
    ~TFrmTavrixMain() override;

    TImage* ImgOskel = nullptr;
    TImage* ImgUSB = nullptr;
    QLabel* LblDev = nullptr;
    TPanel* PnlMw = nullptr;
    TPanel* PnlDev = nullptr;
    TDXLed* LedMw = nullptr;
    TPanel* PnlInit = nullptr;
    tDeviceListModel TmpListView;  // the init run's search list (never shown)
    QTimer TimerStart;
    QTimer TimerLed;
    QTimer TimerFirstMessage;
    TSize Size;

    bool Started = false;
    bool MainShown = false;
    bool Busy = false;
    // Whether the close asks to save the settings (when the main window was shown); an
    // end signal (Ctrl-C, log-out) closes without asking, as nobody is there to answer,
    // and saves them when the user changed them in this run (D->SettingsEdited).
    bool AskOnClose = true;
    // Kept here, not only in D, so that the close can remove the hook before D goes.
    bool HookActive = false;
    tHookLibrary Hook;

    tMainWindowLink* MainWindow() const { return mainWindow_.get(); }
    // The ways request keys come in, from the end of the start-up on (none in test mode).
    class tKeyWatch* KeyWatch() const {
        return keyWatch_.get();
    }
    // The object the engine's events are posted to; ProcessPendingMessages delivers
    // only what waits for it.
    QObject* EngineEvents() const { return engineEvents_; }
    // Values handled since start (shown and handed to their target).
    int ValuesHandled() const { return valuesHandled_; }

    void SchowGanzBildDblClick();
    // The close without the window system (it is gone): the same steps as closeEvent's.
    void EndWithoutDisplay();
    bool IsClosed() const { return closed_; }

signals:
    // The close has freed the engine: the program ends (after the init run's pause).
    void Closed();

protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    void BuildForm();
    void FormCreate(const QStringList& parameters);
    void TakeLanguageIni();
    void FormShow();
    void FormClose();
    // The save question, or without anybody to ask (an end signal) the save of the
    // settings changed in this run.
    void SaveSettingsOnClose();
    void FreeEngine();
    void TimerStartTimer();
    void TimerLedTimer();
    void TimerFirstMessageTimer();
    void AppDeactivate(Qt::ApplicationState state);

    void HandleEngineEvent(const tEngineEvent& event);
    bool Current(const tEngineEvent& event) const;
    void ValueMessage(int index, std::uint32_t generation);
    void HandleOneValue(int index, std::uint32_t generation);
    void ShowLastValue(int index);
    void ShowError(const QString& text);

    bool LoadHook();
    void RemoveHook();

    tStatusWindowParts parts_;
    std::unique_ptr<tMainWindowLink> mainWindow_;
    std::unique_ptr<class tEngineEventSink> sink_;
    std::unique_ptr<class tD2xxMessageBox> d2xxBox_;
    std::unique_ptr<class tKeyWatch> keyWatch_;
    QObject* engineEvents_ = nullptr;
    std::deque<std::pair<int, std::uint32_t>> pendingValues_;
    tStatusLines statusLines_;
    bool closed_ = false;
    bool shownOnce_ = false;
    int valuesHandled_ = 0;
};
