#pragma once
// The wedge's main window: port selectors, options, the reading box, and the handling of
// every reading from the line (shown, then typed into the focused window).

#include <QMainWindow>
#include <QTimer>
#include <array>
#include <functional>
#include <optional>
#include <string>

#include "language_table.h"
#include "line_parameters.h"
#include "lumo_sequencer.h"
#include "port_map.h"
#include "reading_assembler.h"
#include "serial_line.h"
#include "system_ports.h"

class QAction;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QRadioButton;
class TKeyboardOutput;
class THotKeyRegistrar;

class TMainForm : public QMainWindow {
    Q_OBJECT
public:
    TMainForm(TKeyboardOutput& keyboard, THotKeyRegistrar& hotKeys, TPortMap portMap,
              QWidget* parent = nullptr);
    ~TMainForm() override;

    // Start-up: reads the stored settings and opens the stored port. The splash is shown
    // meanwhile when asked for.
    void FormLoad(bool showSplash);
    // Exit: closes the port, stores the settings and the log-on entry. Runs once.
    void FormUnload();

    void TogglePort();
    void KbdHook(int keyCode);
    // A hot key handed over from the command line (`Vantro --hotkey F9`): acts as the key
    // does while the port is open. Returns "ok" or why nothing was done.
    std::string HotKeyFromCommandLine(int keyCode);
    // The status line: how the wedge types and takes its hot keys in this session, said
    // in the window's language.
    void ShowKeyRoutes(const TStatusMessage& typing, const TStatusMessage& hotKeys);
    void Combo1Click();
    void Option1Click(int index);
    void LumoRS232Click();
    void TermKeyComboClick();
    void MHideClick();  // toggles between the full and the compact layout
    void MSettingsClick();
    void mLangClick(int index);
    void HelpIndexClick();
    void HelpAboutClick();

    bool PortOpen() const { return MSComm1.IsOpen(); }
    // The reading received so far, its carriage return still to come.
    const std::string& PartialReading() const { return Assembler_.ReadingText(); }
    bool SettingsHidden() const;

    // Program state read by the reception.
    int PortNumber = 0;
    std::string PortText = "0";
    std::string PortSettings = kDefaultPortSettings;
    TLineParameters Line;  // BaudIndex ... FlowIndex
    std::string PostambleKeys;
    std::array<int, 4> HotKeyCodes{120, 121, 122, 0};
    std::array<int, 4> HotKeyActions{1, 2, 3, 0};
    std::array<int, 4> HotKeyRegistered{0, 0, 0, 0};
    TLumoSequencer Lumo;
    int LanguageIndex = 0;
    std::string HelpFile = "Vantro.hlp";
    std::string ExePath;

    // Seams for user-facing side effects (message box, help window, beep).
    std::function<void(const std::string& text)> ShowMessage;
    std::function<void(const std::string& helpFile)> OpenHelp;
    std::function<void()> Beep;
    // The system's serial ports offered in the port settings; the machine's by default.
    std::function<std::vector<serial_ports::SystemPort>()> ListPorts;

    // Controls, named as on the form.
    QComboBox* Combo1 = nullptr;
    QLabel* Label7 = nullptr;
    QGroupBox* Frame1 = nullptr;
    std::array<QRadioButton*, 5> Option1{};
    QGroupBox* Frame2 = nullptr;
    QCheckBox* LumoRS232 = nullptr;
    QCheckBox* CommaSeperator = nullptr;
    QCheckBox* BeepOnInput = nullptr;
    QCheckBox* NumFilter = nullptr;
    QCheckBox* LoadWithWindows = nullptr;
    QLabel* Label1 = nullptr;
    QComboBox* TermKeyCombo = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* Label5 = nullptr;
    QLabel* Label6 = nullptr;
    QLineEdit* Display = nullptr;
    QLabel* KeyRouteLabel = nullptr;  // the status line; the whole text in its tooltip
    QMenu* FilePullDown = nullptr;
    QAction* MHide = nullptr;
    QAction* FileExit = nullptr;
    QMenu* mLanguage = nullptr;
    std::array<QAction*, 5> mLang{};
    QAction* MSettings = nullptr;
    QMenu* Help = nullptr;
    QAction* HelpIndex = nullptr;
    QAction* HelpAbout = nullptr;
    QTimer Timer1;
    TSerialLine MSComm1;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildControls();
    void BuildMenus();
    void ApplyShownLayout();
    void ApplyHiddenLayout();
    void SelectPort(int number);
    void OnComm();
    void PortClosed();
    void LineLost();
    void ForgetPartialReading();
    void EndOfReading();
    void Timer1Timer();
    void SetCaption(const std::string& objectName, const std::string& text, bool append);
    // A port the user may not open: the status line says so and its tooltip what to do
    // (until a port opens), and a message says it the first time for that device.
    void TellNoPermission(const std::string& path);
    // A port problem stands in the status line instead of the key routes.
    void ShowPortProblem(const TStatusMessage& line, const TStatusMessage& whole);
    void ShowStatusLine();
    TReadingOptions Options() const;

    TKeyboardOutput& Keyboard_;
    THotKeyRegistrar& HotKeys_;
    TPortMap PortMap_;
    std::vector<std::string> ToldNoPermission_;  // device paths, told once per run
    TStatusMessage TypingRoute_;
    TStatusMessage HotKeyRoute_;
    std::optional<std::pair<TStatusMessage, TStatusMessage>> PortProblem_;  // line, whole
    TReadingAssembler Assembler_;
    std::optional<bool> LastDsr_;
    bool Unloaded_ = false;
    bool SettingsHidden_ = false;
    QWidget* Central_ = nullptr;
    QButtonGroup* Option1Group_ = nullptr;
};
