#include "shell/TavrixMain.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QMouseEvent>
#include <cstdio>
#include <exception>

#include "engine/dataModule.h"
#include "shell/d2xxMessageBox.h"
#include "shell/engineEventSink.h"
#include "shell/keySource.h"
#include "shell/keyWatch.h"
#include "shell/requestCommand.h"
#include "shell/valueReport.h"
#include "support/multi_lang.h"
#include "support/new_ini_file.h"
#include "support/prog_layout.h"
#include "support/prog_paths.h"
#include "transport/d2xx/D2XX.h"
#include "ui/DXLed.h"
#include "ui/DevicePictures.h"
#include "ui/FormControls.h"
#include "ui/Image.h"
#include "ui/MainWindowLink.h"
#include "ui/MultiLang.h"
#include "ui/Panel.h"
#include "ui/UserDialogs.h"

bool SwitchI = false;

void ReadStartSwitches(const QStringList& parameters) {
    for (const QString& parameter : parameters) {
        const QString upper = parameter.toUpper();
        if (upper == "D") SwitchD = true;
        if (upper == "I") SwitchI = true;
    }
}

namespace {

const char* const kFormName = "FrmTavrixMain";
constexpr int kTimerMs = 1000;
// The init run closes its window, pauses and ends.
constexpr int kInitRunEndMs = 1000;
// Values that arrive in the start-up window: the oldest ones of the device go, up to this many.
constexpr int kStartupDrops = 5;

QColor LedRed() {
    return StateColor(3);
}
QColor LedLime() {
    return StateColor(2);
}

}  // namespace

TFrmTavrixMain::TFrmTavrixMain(const QStringList& parameters, tStatusWindowParts parts,
                               QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint), Size(this), parts_(std::move(parts)) {
    BuildForm();
    try {
        FormCreate(parameters);
    } catch (...) {
        FreeEngine();
        throw;
    }
}

TFrmTavrixMain::~TFrmTavrixMain() {
    FreeEngine();
}

void TFrmTavrixMain::BuildForm() {
    setObjectName(kFormName);
    setWindowTitle(" Tavrix");
    setFixedSize(238, 58);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, ColorFromBgr(0xF0F0F0));
    setPalette(pal);
    setFocusPolicy(Qt::StrongFocus);

    ImgOskel = new TImage(this);
    ImgOskel->setObjectName("ImgOskel");
    ImgOskel->SetPicture(BuiltinPicture(tBuiltinPicture::Logo));
    ImgOskel->setGeometry(1, 1, 56, 56);
    ImgUSB = new TImage(this);
    ImgUSB->setObjectName("ImgUSB");
    ImgUSB->SetStretch(true);
    ImgUSB->SetPicture(BuiltinPicture(tBuiltinPicture::ProgramPicture));
    ImgUSB->setGeometry(1, 1, 56, 56);
    ImgUSB->hide();

    LedMw = new TDXLed(this);
    LedMw->setObjectName("LedMw");
    LedMw->setGeometry(62, 4, 14, 14);
    LedMw->SetColorActive(LedLime());
    LedMw->SetValue(true);

    LblDev = new QLabel("~Hier Doppelklicken", this);
    LblDev->setObjectName("LblDev");
    LblDev->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    LblDev->setFont(PixelFont(13, true, LblDev->font()));
    LblDev->setGeometry(80, 2, 154, 18);
    LblDev->hide();

    PnlDev = new TPanel(this);
    PnlDev->setObjectName("PnlDev");
    PnlDev->hide();

    PnlMw = new TPanel(this);
    PnlMw->setObjectName("PnlMw");
    PnlMw->SetBevels(tBevel::None, tBevel::Lowered);
    PnlMw->SetColor(ColorFromBgr(0x8EEEF0));
    PnlMw->setFont(PixelFont(21, true, PnlMw->font()));
    PnlMw->SetCaption("--.--");
    PnlMw->setGeometry(60, 21, 175, 34);

    PnlInit = new TPanel(this);
    PnlInit->setObjectName("PnlInit");
    PnlInit->setFont(PixelFont(32, true, PnlInit->font()));
    PnlInit->SetCaption("INIT");
    PnlInit->setGeometry(60, 0, 178, 58);
    PnlInit->hide();

    for (TImage* image : {ImgOskel, ImgUSB}) {
        connect(image, &TImage::DblClick, this, &TFrmTavrixMain::SchowGanzBildDblClick);
    }
    for (TPanel* panel : {PnlMw, PnlDev}) {
        connect(panel, &TPanel::DblClick, this, &TFrmTavrixMain::SchowGanzBildDblClick);
    }

    TimerStart.setInterval(kTimerMs);
    TimerLed.setInterval(kTimerMs);
    TimerFirstMessage.setInterval(kTimerMs);
    connect(&TimerStart, &QTimer::timeout, this, &TFrmTavrixMain::TimerStartTimer);
    connect(&TimerLed, &QTimer::timeout, this, &TFrmTavrixMain::TimerLedTimer);
    connect(&TimerFirstMessage, &QTimer::timeout, this, &TFrmTavrixMain::TimerFirstMessageTimer);
    TimerLed.start();
    TimerFirstMessage.start();

    engineEvents_ = new tEngineEventReceiver(
        this, [this](const tEngineEvent& event) { HandleEngineEvent(event); });
    engineEvents_->setObjectName("EngineEvents");
}

void TFrmTavrixMain::FormCreate(const QStringList& parameters) {
    MainShown = false;
    Busy = false;
    SwitchI = false;
    connect(qApp, &QGuiApplication::applicationStateChanged, this, &TFrmTavrixMain::AppDeactivate);
    ReadStartSwitches(parameters);
    Started = false;
    TakeLanguageIni();

    MultiLang = new TMultiLang();
    d2xxBox_ = std::make_unique<tD2xxMessageBox>(this);
    SetD2xxMessageBox(d2xxBox_.get());
    D = new TD();
    sink_ = std::make_unique<tEngineEventSink>(*engineEvents_, *D);
    D->SetMessageSink(sink_.get());
    D->ProcessPendingMessages = [this] { QCoreApplication::sendPostedEvents(engineEvents_, 0); };
    D->OnShowValue = [this](int index) { ShowLastValue(index); };
    D->OnXlsError = [this](int, const std::string& error) {
        ShowError(QString::fromStdString(error));
    };
    D->OnAccessProblem = [this](const std::string& message) {
        ShowError(QString::fromStdString(message));
    };
    D->SetOnSettingsFileError([this](const std::string&, const std::string& error) {
        ShowError(TranslateText("~Einstellungen nicht lesbar, es gelten die Vorgaben:") + "\n" +
                  QString::fromStdString(error));
    });
    LoadLangTexts(*D);
    TranslateForm(this);

    if (SwitchI) {
        D->SrchDevices(TmpListView, true, true);
        LblDev->hide();
        PnlInit->show();
        PnlInit->raise();
    } else {
        PnlInit->hide();
        LblDev->show();
        if (parts_.MakeMainWindow) {
            mainWindow_ = parts_.MakeMainWindow(*D, this);
            mainWindow_->BuildDeviceList();
            mainWindow_->SetKnownUsbCount(FtDeviceCount);
        } else {
            D->SrchDevices(true, true);
        }
        if (parts_.ShowInfo) parts_.ShowInfo(this);
    }
    TimerStart.start();

    Size.MemSize = false;
    Size.RestoreFromProgIni();
}

// A "Language.ini" beside the program (installed: in the configuration folder) sets the
// language once.
void TFrmTavrixMain::TakeLanguageIni() {
    const std::string path = tavrix::ProgLayout().LanguagePresetFile();
    if (!QFile::exists(QString::fromStdString(path))) return;
    std::string language;
    {
        const TNewIniFile preset(path);
        language = preset.ReadString("DEFAULT", "LANGUAGE", "Deutsch");
    }
    {
        TNewIniFile ini(ProgIniFile);
        ini.WriteString("DEFAULT", "LANGUAGE", language);
        ini.UpdateFile();
    }
    QFile::remove(QString::fromStdString(path));
}

void TFrmTavrixMain::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    FormShow();
}

void TFrmTavrixMain::FormShow() {
    setWindowTitle("Lonvar standard");
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);
    ImgOskel->hide();
    ImgUSB->show();
}

void TFrmTavrixMain::TimerStartTimer() {
    if (D == nullptr) return;
    if (SwitchI) {
        TimerStart.stop();
        D->OpenDevices(false);
        D->CloseDevices(false);
        close();
        return;
    }
    if (!Started) {
        PnlMw->SetCaption("");
        Started = true;
        D->OpenDevices(true);
        if (mainWindow_) {
            mainWindow_->SetKnownUsbCount(FtDeviceCount);
            mainWindow_->SetSearchTimerEnabled(true);
        }
        HookActive = !SwitchD && LoadHook();
        D->HookActive = HookActive;
        return;
    }
    TimerStart.stop();
    PnlMw->SetCaption("--.--");
    PrintReadyLine(D->Devices.size());
    if (!SwitchD) {
        keyWatch_ = std::make_unique<tKeyWatch>(*D, this, HookActive);
        keyWatch_->CheckKeys();
    }
}

void TFrmTavrixMain::TimerLedTimer() {
    if (LedMw->ColorActive() == LedRed()) return;
    LedMw->SetValue(false);
    TimerLed.stop();
}

void TFrmTavrixMain::TimerFirstMessageTimer() {
    if (SwitchI) return;
    LblDev->setVisible(!LblDev->isVisible());
}

void TFrmTavrixMain::SchowGanzBildDblClick() {
    MainShown = true;
    if (TimerFirstMessage.isActive()) {
        TimerFirstMessage.stop();
        LblDev->setText("...");
        LblDev->show();
    }
    if (mainWindow_) mainWindow_->ShowMainWindow();
}

void TFrmTavrixMain::mouseDoubleClickEvent(QMouseEvent* event) {
    // The form, its label and its lamp; the pictures and panels report their own.
    SchowGanzBildDblClick();
    event->accept();
}

void TFrmTavrixMain::AppDeactivate(Qt::ApplicationState state) {
    // Inside our own window only: the desktop's focus stays where the user types.
    if (SwitchI || state == Qt::ApplicationActive || closed_) return;
    setFocus(Qt::OtherFocusReason);
}

bool TFrmTavrixMain::event(QEvent* event) {
    if (static_cast<int>(event->type()) == tEngineEvent::KeyPressed) {
        const auto& key = static_cast<const tEngineEvent&>(*event);
        if (D == nullptr || closed_) return true;
        const auto code = static_cast<std::uint16_t>(key.WParam);
        const bool requested = D->KeyRequest(code);
        // Keys of a desktop's shortcut or the portal are few and chosen: the terminal
        // shows that each arrived (the hook's are every F key typed anywhere).
        if (key.LParam != KeyFromHook) {
            std::printf("%s  %s from the %s: %s\n", ClockText().c_str(),
                        RequestKeyName(code).c_str(), KeySourceName(static_cast<int>(key.LParam)),
                        requested ? "requested" : "no instrument has this request key");
            std::fflush(stdout);
        }
        return true;
    }
    return QWidget::event(event);
}

bool TFrmTavrixMain::Current(const tEngineEvent& event) const {
    return D != nullptr && event.Generation == D->DevicesGeneration.load() && event.LParam >= 0 &&
           event.LParam < static_cast<std::int64_t>(D->Devices.size());
}

void TFrmTavrixMain::HandleEngineEvent(const tEngineEvent& event) {
    // While the close stops the workers, their last messages are still handled.
    if (D == nullptr) return;
    const int index = static_cast<int>(event.LParam);
    switch (static_cast<int>(event.type())) {
        case tEngineEvent::ValueQueued:
            ValueMessage(index, event.Generation);
            break;
        case tEngineEvent::DeviceError: {
            if (!Current(event)) return;
            const tDevice& dev = *D->Devices[static_cast<std::size_t>(index)];
            if (event.WParam != 0) {
                LedMw->SetColorActive(LedRed());
            } else if (LedMw->ColorActive() == LedRed()) {
                LedMw->SetColorActive(LedLime());
            }
            LedMw->SetValue(true);
            if (mainWindow_) mainWindow_->ShowDeviceError(index, event.WParam != 0);
            // The terminal learns why a cable or an output failed, and when it is fine again.
            PrintDeviceLine(dev, statusLines_.Text(dev, event.WParam));
            break;
        }
        case tEngineEvent::DeviceState:
            if (!Current(event)) return;
            if (mainWindow_) mainWindow_->ShowDeviceState(index, static_cast<int>(event.WParam));
            LedMw->show();
            LedMw->SetColorActive(StateColor(static_cast<int>(event.WParam)));
            LedMw->SetValue(true);
            break;
        case tEngineEvent::TimerTick:
            if (Current(event) && mainWindow_) mainWindow_->ShowTimerCountdown(index);
            break;
        default:
            break;
    }
}

// One value at a time, in the order they came: a value message that arrives while one
// is handled (its output may show a message box or wait for the office, which delivers
// events) joins the queue and is handled right after, by the outer call.
void TFrmTavrixMain::ValueMessage(int index, std::uint32_t generation) {
    pendingValues_.emplace_back(index, generation);
    if (Busy) return;
    Busy = true;
    struct tClearBusy {
        bool& busy;
        ~tClearBusy() { busy = false; }
    } clearBusy{Busy};
    while (!pendingValues_.empty()) {
        const auto [next, nextGeneration] = pendingValues_.front();
        pendingValues_.pop_front();
        try {
            HandleOneValue(next, nextGeneration);
        } catch (const std::exception& e) {
            ShowError(QString::fromStdString(e.what()));
        } catch (...) {
            ShowError(TranslateText("~Unbekannter Fehler"));
        }
    }
}

void TFrmTavrixMain::HandleOneValue(int index, std::uint32_t generation) {
    // A value whose device a re-search has freed since, or one that comes after the close.
    if (D == nullptr || generation != D->DevicesGeneration.load()) return;
    if (TimerStart.isActive()) {
        for (int i = 0; i < kStartupDrops; ++i) D->DropValue(index);
        return;
    }
    if (index < 0 || index >= static_cast<int>(D->Devices.size())) return;
    TimerFirstMessage.stop();
    LblDev->show();
    // Evaluate, show, drop, output; the output may take long, so show it again after.
    if (!D->HandleValueMessage(index)) return;
    ++valuesHandled_;
    if (D == nullptr || index >= static_cast<int>(D->Devices.size())) return;
    ShowLastValue(index);
    const tDevice& dev = *D->Devices[static_cast<std::size_t>(index)];
    PrintDeviceLine(dev, ValueLineText(dev));
}

void TFrmTavrixMain::ShowLastValue(int index) {
    const tDevice& dev = *D->Devices[static_cast<std::size_t>(index)];
    PnlMw->SetCaption(QString::fromStdString(dev.MwText));
    LblDev->setText(QString::fromStdString(dev.DeviceName));
    LedMw->SetColorActive(LedLime());
    LedMw->SetValue(true);
    TimerLed.start();
    PnlMw->repaint();
    if (mainWindow_) mainWindow_->ShowValue(index);
}

void TFrmTavrixMain::ShowError(const QString& text) {
    UserDialogs().ShowMessage(this, text);
}

bool TFrmTavrixMain::LoadHook() {
    const std::string path = parts_.HookLibraryPath.empty() ? tavrix::ProgLayout().HookLibrary()
                                                            : parts_.HookLibraryPath;
    return Hook.Load(path, this);
}

void TFrmTavrixMain::RemoveHook() {
    Hook.Unload(HookActive, this);
    HookActive = false;
    if (D != nullptr) D->HookActive = false;
}

void TFrmTavrixMain::closeEvent(QCloseEvent* event) {
    if (!closed_) FormClose();
    event->accept();
}

void TFrmTavrixMain::EndWithoutDisplay() {
    if (!closed_) FormClose();
}

void TFrmTavrixMain::FormClose() {
    closed_ = true;
    TimerStart.stop();
    // The hook goes first, while the window it posts to and D are still there.
    keyWatch_.reset();
    RemoveHook();
    if (!SwitchI && D != nullptr) {
        // The placement and the settings have their own guards: a program INI file that
        // cannot be written must not cost the device settings of the run.
        const std::string placementError = Size.StoreInProgIni();
        if (!placementError.empty() && AskOnClose)
            ShowError(QString::fromStdString(placementError));
        SaveSettingsOnClose();
    }
    FreeEngine();
    emit Closed();
}

void TFrmTavrixMain::SaveSettingsOnClose() {
    bool save = false;
    if (MainShown && AskOnClose) {
        save = UserDialogs().Confirm(this, TranslateText("~Aktuelle Einstellungen Speichern?"));
    }
    // An end signal (also one that came while the question was open) has nobody to ask:
    // what the user changed in this run is saved rather than lost without a word.
    const bool unattended = !AskOnClose;
    if (unattended) save = D->SettingsEdited;
    if (!save) return;
    try {
        D->SaveConfig(false);
        if (unattended) {
            std::printf("%s  settings changed in this run saved to %s\n", ClockText().c_str(),
                        D->TvcFileName.c_str());
            std::fflush(stdout);
        }
    } catch (const std::exception& e) {
        if (unattended) {
            std::fprintf(stderr, "LonvarStd: %s\n", e.what());
        } else {
            ShowError(QString::fromStdString(e.what()));
        }
    }
}

// Resets the devices (settings kept in "TVC.TMP"), frees the main window, D and the
// translator; engine events still queued are dropped.
void TFrmTavrixMain::FreeEngine() {
    closed_ = true;
    keyWatch_.reset();
    if (HookActive || Hook.HookLib != nullptr) RemoveHook();
    if (D != nullptr) {
        try {
            if (mainWindow_) {
                mainWindow_->ClearDeviceList(true);
            } else {
                D->ResetDevices();
            }
        } catch (const std::exception& e) {
            std::fprintf(stderr, "LonvarStd: %s\n", e.what());
        }
        D->SetMessageSink(nullptr);
    }
    mainWindow_.reset();
    QCoreApplication::removePostedEvents(engineEvents_);
    pendingValues_.clear();
    if (D != nullptr) {
        delete D;
        D = nullptr;
    }
    sink_.reset();
    if (d2xxBox_) {
        SetD2xxMessageBox(nullptr);
        d2xxBox_.reset();
    }
    delete MultiLang;
    MultiLang = nullptr;
}
