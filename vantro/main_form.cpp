#include "main_form.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenuBar>
#include <QMessageBox>
#include <QPainter>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QStatusBar>
#include <algorithm>
#include <chrono>
#include <thread>

#include "about_box.h"
#include "auto_start.h"
#include "help_viewer.h"
#include "hot_key_registrar.h"
#include "keyboard_output.h"
#include "language_table.h"
#include "port_setup.h"
#include "postamble.h"
#include "reading_display.h"
#include "settings_store.h"
#include "twips.h"

namespace {

const char* const kPostambles[] = {"", "{ENTER}", "{TAB}", "{DOWN}", "{RIGHT}", "{LEFT}", "{UP}"};
const char* const kPostambleEntries[] = {"None",    "{ENTER}", "{TAB}", "{DOWN}",
                                         "{RIGHT}", "{LEFT}",  "{UP}"};
constexpr int kPulseMs = 155;
constexpr int kTimerMs = 50;

// Client area of the window below the menu bar, for the two layouts.
constexpr int kShownClientWidth = 530;
constexpr int kShownClientHeight = 376;

void WaitMs(int ms) {
    // Blocks the user-interface thread for the pulse, as the line must stay in that state.
    std::this_thread::sleep_until(std::chrono::steady_clock::now() + std::chrono::milliseconds(ms));
}

// Cuts a text too long for the line with "...", rather than at the edge.
class TElidedLabel : public QLabel {
public:
    using QLabel::QLabel;
    QSize minimumSizeHint() const override { return {0, QLabel::minimumSizeHint().height()}; }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        const QRect room = contentsRect();
        painter.drawText(room, int(alignment()) | Qt::TextSingleLine,
                         fontMetrics().elidedText(text(), Qt::ElideRight, room.width()));
    }
};

char SystemDecimalSymbol() {
    const QString point = QLocale::system().decimalPoint();
    return point.size() == 1 && point[0].unicode() < 0x80 ? char(point[0].unicode()) : '.';
}

}  // namespace

TMainForm::TMainForm(TKeyboardOutput& keyboard, THotKeyRegistrar& hotKeys, TPortMap portMap,
                     QWidget* parent)
    : QMainWindow(parent), Keyboard_(keyboard), HotKeys_(hotKeys), PortMap_(std::move(portMap)) {
    setObjectName(QStringLiteral("MainForm"));
    setWindowTitle(QString::fromStdString(ClosedCaption()));
    Timer1.setObjectName(QStringLiteral("Timer1"));
    MSComm1.setObjectName(QStringLiteral("MSComm1"));
    ShowMessage = [this](const std::string& text) {
        QMessageBox::warning(this, QStringLiteral("Vantro"), QString::fromStdString(text),
                             QMessageBox::Ok);
    };
    OpenHelp = [this](const std::string& helpFile) { OpenHelpIndex(helpFile, this); };
    Beep = [] { QApplication::beep(); };

    BuildControls();
    BuildMenus();
    ApplyShownLayout();

    connect(&MSComm1, &TSerialLine::DataArrived, this, &TMainForm::OnComm);
    connect(&MSComm1, &TSerialLine::LineLost, this, &TMainForm::LineLost);
    connect(&Timer1, &QTimer::timeout, this, &TMainForm::Timer1Timer);
    HotKeys_.OnHotKey = [this](int id) { KbdHook(id); };
}

TMainForm::~TMainForm() {
    HotKeys_.OnHotKey = nullptr;
    for (int i = 0; i < 4; ++i) {
        if (HotKeyRegistered[i]) HotKeys_.Unregister(i);
    }
}

void TMainForm::BuildControls() {
    Central_ = new QWidget(this);
    setCentralWidget(Central_);

    auto label = [this](const char* name, const char* text, bool wrap) {
        auto* l = new QLabel(QString::fromUtf8(text), Central_);
        l->setObjectName(QLatin1String(name));
        l->setWordWrap(wrap);
        l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        return l;
    };
    const auto english = CaptionsFor(LangEnglish);
    auto caption = [&english](const char* name) {
        for (const auto& [control, text] : english) {
            if (control == name) return text;
        }
        return std::string();
    };

    Label4 = label("Label4", caption("Label4").c_str(), true);
    Label4->setGeometry(16, 6, 505, 16);

    Frame1 = new QGroupBox(QStringLiteral("Port:"), Central_);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Frame1->setGeometry(16, 26, 130, 146);
    auto* group = new QButtonGroup(this);
    Option1Group_ = group;
    for (int i = 0; i < 5; ++i) {
        Option1[i] = new QRadioButton(
            i == 0 ? QStringLiteral("None") : QStringLiteral("COM%1").arg(i), Frame1);
        Option1[i]->setObjectName(QStringLiteral("Option1(%1)").arg(i));
        Option1[i]->setGeometry(12, 20 + i * 24, 110, 20);
        if (i > 0) Option1[i]->setToolTip(QString::fromStdString(PortMap_.Label(i)));
        group->addButton(Option1[i], i);
    }
    Option1[0]->setChecked(true);
    connect(group, &QButtonGroup::idClicked, this, &TMainForm::Option1Click);

    Label7 = label("Label7", "COM Port:", false);
    Label7->setGeometry(16, 181, 90, 18);
    Combo1 = new QComboBox(Central_);
    Combo1->setObjectName(QStringLiteral("Combo1"));
    Combo1->addItem(QStringLiteral("None"));
    for (int n = 1; n <= kMaxComPort; ++n)
        Combo1->addItem(QString::fromStdString(PortMap_.Label(n)));
    Combo1->setGeometry(110, 178, 230, 24);
    Combo1->view()->setMinimumWidth(Combo1->view()->sizeHintForColumn(0) + 24);
    connect(Combo1, &QComboBox::activated, this, [this] { Combo1Click(); });

    Frame2 = new QGroupBox(QString::fromStdString(caption("Frame2")), Central_);
    Frame2->setObjectName(QStringLiteral("Frame2"));
    Frame2->setGeometry(160, 26, 361, 146);
    auto check = [this](const char* name, const std::string& text, int row) {
        auto* box = new QCheckBox(QString::fromStdString(text), Frame2);
        box->setObjectName(QLatin1String(name));
        box->setGeometry(12, 18 + row * 20, 340, 20);
        return box;
    };
    LumoRS232 = check("LumoRS232", caption("LumoRS232"), 0);
    CommaSeperator = check("CommaSeperator", caption("CommaSeperator"), 1);
    BeepOnInput = check("BeepOnInput", caption("BeepOnInput"), 2);
    NumFilter = check("NumFilter", caption("NumFilter"), 3);
    LoadWithWindows = check("LoadWithWindows", caption("LoadWithWindows"), 4);
    connect(LumoRS232, &QCheckBox::toggled, this, [this] { LumoRS232Click(); });

    Label1 = new QLabel(QString::fromStdString(caption("Label1")), Frame2);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(12, 120, 190, 20);
    TermKeyCombo = new QComboBox(Frame2);
    TermKeyCombo->setObjectName(QStringLiteral("TermKeyCombo"));
    TermKeyCombo->setGeometry(206, 118, 140, 24);
    connect(TermKeyCombo, &QComboBox::activated, this, [this] { TermKeyComboClick(); });

    Label5 = label("Label5", caption("Label5").c_str(), true);
    Label5->setGeometry(16, 208, 505, 50);
    Label2 = label("Label2", caption("Label2").c_str(), false);
    Label2->setGeometry(16, 264, 505, 18);

    Display = new QLineEdit(Central_);
    Display->setObjectName(QStringLiteral("Display"));
    Display->setReadOnly(true);  // the reading box cannot be edited
    Display->setFocusPolicy(Qt::ClickFocus);

    Label6 = label("Label6", caption("Label6").c_str(), true);
    Label6->setGeometry(16, 310, 505, 46);
    Label3 = label("Label3", caption("Label3").c_str(), false);
    Label3->setGeometry(16, 356, 505, 18);

    KeyRouteLabel = new TElidedLabel(this);
    KeyRouteLabel->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    KeyRouteLabel->setContentsMargins(4, 0, 4, 0);
    KeyRouteLabel->setObjectName(QStringLiteral("KeyRouteLabel"));
    statusBar()->addWidget(KeyRouteLabel, 1);
    statusBar()->setSizeGripEnabled(false);
}

void TMainForm::ShowKeyRoutes(const TStatusMessage& typing, const TStatusMessage& hotKeys) {
    TypingRoute_ = typing;
    HotKeyRoute_ = hotKeys;
    ShowStatusLine();
}

void TMainForm::ShowPortProblem(const TStatusMessage& line, const TStatusMessage& whole) {
    PortProblem_.emplace(line, whole);
    ShowStatusLine();
}

void TMainForm::ShowStatusLine() {
    const TStatusMessage routes(TStatusText::StatusLine, {TypingRoute_, HotKeyRoute_});
    const int language = LanguageIndex;
    KeyRouteLabel->setText(QString::fromStdString(
        StatusText(language, PortProblem_ ? PortProblem_->first : Brief(routes))));
    KeyRouteLabel->setToolTip(
        QString::fromStdString(StatusText(language, PortProblem_ ? PortProblem_->second : routes)));
}

void TMainForm::BuildMenus() {
    QMenuBar* bar = menuBar();
    FilePullDown = bar->addMenu(QStringLiteral("&File"));
    FilePullDown->setObjectName(QStringLiteral("FilePullDown"));
    MHide = FilePullDown->addAction(QStringLiteral("&Hide Settings"));
    MHide->setObjectName(QStringLiteral("MHide"));
    MHide->setCheckable(true);
    // The handler sets the check mark itself.
    connect(MHide, &QAction::triggered, this, &TMainForm::MHideClick);
    FilePullDown->addSeparator();
    FileExit = FilePullDown->addAction(QStringLiteral("E&xit"));
    FileExit->setObjectName(QStringLiteral("FileExit"));
    connect(FileExit, &QAction::triggered, this, &QWidget::close);

    mLanguage = bar->addMenu(QStringLiteral("&Language"));
    mLanguage->setObjectName(QStringLiteral("mLanguage"));
    const char* const names[] = {"&English", "&German", "&French", "&Spanish", "&Italian"};
    for (int i = 0; i < kLanguageCount; ++i) {
        mLang[i] = mLanguage->addAction(QLatin1String(names[i]));
        mLang[i]->setObjectName(QStringLiteral("mLang(%1)").arg(i));
        mLang[i]->setCheckable(true);
        connect(mLang[i], &QAction::triggered, this, [this, i] { mLangClick(i); });
    }

    MSettings = bar->addAction(QStringLiteral("&Settings"));
    MSettings->setObjectName(QStringLiteral("MSettings"));
    connect(MSettings, &QAction::triggered, this, &TMainForm::MSettingsClick);

    Help = bar->addMenu(QStringLiteral("&Help"));
    Help->setObjectName(QStringLiteral("Help"));
    HelpIndex = Help->addAction(QStringLiteral("&Index"));
    HelpIndex->setObjectName(QStringLiteral("HelpIndex"));
    // F1 anywhere in the window opens the help index.
    HelpIndex->setShortcut(QKeySequence(Qt::Key_F1));
    HelpIndex->setShortcutContext(Qt::WindowShortcut);
    connect(HelpIndex, &QAction::triggered, this, &TMainForm::HelpIndexClick);
    Help->addSeparator();
    HelpAbout = Help->addAction(QStringLiteral("&About..."));
    HelpAbout->setObjectName(QStringLiteral("HelpAbout"));
    connect(HelpAbout, &QAction::triggered, this, &TMainForm::HelpAboutClick);
}

void TMainForm::ApplyShownLayout() {
    for (QWidget* w : {static_cast<QWidget*>(Label2), static_cast<QWidget*>(Label3),
                       static_cast<QWidget*>(Label4), static_cast<QWidget*>(Label5),
                       static_cast<QWidget*>(Label6), static_cast<QWidget*>(Frame1),
                       static_cast<QWidget*>(Frame2)}) {
        w->setVisible(true);
    }
    // The rest of the form keeps its place, as it did before hiding.
    for (QWidget* w : {static_cast<QWidget*>(Label7), static_cast<QWidget*>(Combo1)}) {
        w->setVisible(true);
    }
    Display->setGeometry(TwipsToPixels(240), TwipsToPixels(4275), TwipsToPixels(7575),
                         std::max(TwipsToPixels(270), 20));
    QFont font(QStringLiteral("Arial"));
    font.setPointSize(9);
    Display->setFont(font);
    Display->setStyleSheet(QString());
    Central_->setFixedSize(kShownClientWidth, kShownClientHeight);
    statusBar()->setVisible(true);
    setFixedSize(kShownClientWidth, kShownClientHeight + menuBar()->sizeHint().height() +
                                        statusBar()->sizeHint().height());
}

void TMainForm::ApplyHiddenLayout() {
    for (QWidget* w : {static_cast<QWidget*>(Label2), static_cast<QWidget*>(Label3),
                       static_cast<QWidget*>(Label4), static_cast<QWidget*>(Label5),
                       static_cast<QWidget*>(Label6), static_cast<QWidget*>(Frame1),
                       static_cast<QWidget*>(Frame2), static_cast<QWidget*>(Label7),
                       static_cast<QWidget*>(Combo1)}) {
        w->setVisible(false);
    }
    const int boxHeight = TwipsToPixels(1500);
    const int clientWidth = TwipsToPixels(6590) - kWindowFrameWidth;
    Display->setGeometry(0, 0, clientWidth, boxHeight);
    QFont font(QStringLiteral("Arial"));
    font.setPointSize(60);
    Display->setFont(font);
    Display->setStyleSheet(QStringLiteral("QLineEdit#Display { background: rgb(192, 192, 192); }"));
    Central_->setFixedSize(clientWidth, boxHeight);
    statusBar()->setVisible(false);  // the compact display is the reading alone
    setFixedSize(clientWidth, boxHeight + menuBar()->sizeHint().height());
}

bool TMainForm::SettingsHidden() const {
    return SettingsHidden_;
}

void TMainForm::FormLoad(bool showSplash) {
    HotKeyCodes = {120, 121, 122, 0};
    HotKeyActions = {1, 2, 3, 0};
    QApplication::setOverrideCursor(Qt::WaitCursor);
    ExePath = QCoreApplication::applicationFilePath().toStdString();
    setWindowTitle(QString::fromStdString(ClosedCaption()));

    TAboutBox* splash = nullptr;
    if (showSplash) {
        splash = new TAboutBox(true, this);
        splash->show();
        QCoreApplication::processEvents();
    }

    TermKeyCombo->clear();
    for (const char* entry : kPostambleEntries) TermKeyCombo->addItem(QLatin1String(entry));
    TermKeyCombo->setCurrentIndex(0);
    TermKeyComboClick();

    PortNumber = 0;
    PortText = "0";
    Line = TLineParameters{};

    // A stored language the menu does not have falls back to English.
    const int language = ReadSetting("Language");
    mLangClick(language >= 0 && language < kLanguageCount ? language : LangEnglish);

    BeepOnInput->setChecked(ReadSetting("Beep") == 1);
    CommaSeperator->setChecked(ReadSetting("CommaSeparator") == 1);
    LumoRS232->setChecked(ReadSetting("DuplexAdapter") == 1);  // its handler sets the flow
    LoadWithWindows->setChecked(ReadSetting("AutoLoad") == 1);
    NumFilter->setChecked(ReadSetting("NumericFilter") == 1);

    const int postamble = ReadSetting("Postamble");
    if (postamble >= 0 && postamble < TermKeyCombo->count()) {
        TermKeyCombo->setCurrentIndex(postamble);
        TermKeyComboClick();
    }

    PortSettings = kDefaultPortSettings;
    ParsePortSettings(PortSettings, Line);

    const int comPort = ReadSetting("ComPort");
    if (comPort > 0 && comPort < Combo1->count()) {
        Combo1->setCurrentIndex(comPort);
        Combo1Click();
    }

    if (ReadSetting("HideSettings") != 0) MHideClick();

    delete splash;
    QApplication::restoreOverrideCursor();
}

void TMainForm::FormUnload() {
    if (Unloaded_) return;
    Unloaded_ = true;
    if (PortOpen()) TogglePort();
    WriteSetting("Language", LanguageIndex);
    WriteSetting("Beep", BeepOnInput->isChecked() ? 1 : 0);
    WriteSetting("CommaSeparator", CommaSeperator->isChecked() ? 1 : 0);
    WriteSetting("DuplexAdapter", LumoRS232->isChecked() ? 1 : 0);
    WriteSetting("AutoLoad", LoadWithWindows->isChecked() ? 1 : 0);
    WriteSetting("NumericFilter", NumFilter->isChecked() ? 1 : 0);
    WriteSetting("HideSettings", SettingsHidden() ? 1 : 0);
    SetAutoStart(LoadWithWindows->isChecked(), "Vantro", DesktopExecValue(ExePath), true, false);
    WriteSetting("Postamble", TermKeyCombo->currentIndex());
    WriteSetting("ComPort", Combo1->currentIndex());
    SyncSettings();
}

void TMainForm::closeEvent(QCloseEvent* event) {
    FormUnload();
    event->accept();
}

void TMainForm::TogglePort() {
    if (!PortOpen()) {
        const bool opened =
            MSComm1.Open(PortMap_.DevicePath(PortNumber), PortSettings, Line.FlowIndex);
        if (!opened) {
            Timer1.stop();
            if (MSComm1.PermissionDenied()) {
                TellNoPermission(PortMap_.DevicePath(PortNumber));
            } else {
                ShowPortProblem(
                    {TStatusText::PortNotOpened, {PortText}},
                    {TStatusText::PortNotOpenedBecause, {PortText, MSComm1.ErrorText()}});
                if (ShowMessage) ShowMessage("Error: " + MSComm1.ErrorText());
            }
            return;
        }
        PortProblem_.reset();
        ShowStatusLine();
        LastDsr_ = MSComm1.Dsr();
        ForgetPartialReading();
        Timer1.start(kTimerMs);
        setWindowTitle(QString::fromStdString(OpenCaption(LangEnglish, PortText)));
        for (int i = 0; i < 4; ++i) {
            const int code = HotKeyCodes[i] & 0xff;
            if (code == 0) continue;
            HotKeyRegistered[i] = HotKeys_.Register(i, code, (HotKeyCodes[i] >> 8) & 0xff) ? 1 : 0;
        }
        return;
    }
    MSComm1.Close();
    PortClosed();
}

void TMainForm::PortClosed() {
    ForgetPartialReading();
    setWindowTitle(QString::fromStdString(ClosedCaption()));
    for (int i = 0; i < 4; ++i) {
        if (HotKeyRegistered[i]) HotKeys_.Unregister(i);
        HotKeyRegistered[i] = 0;
    }
}

void TMainForm::ForgetPartialReading() {
    // Characters from one port or one opening never join those of the next.
    Assembler_.Clear();
    Display->clear();
}

void TMainForm::LineLost() {
    // The device went away under the open port: the window says the port is closed, the
    // hot keys go, and the user learns why. Selecting the port again reopens it.
    PortClosed();
    if (ShowMessage) ShowMessage("Error: " + MSComm1.ErrorText());
}

TReadingOptions TMainForm::Options() const {
    return {NumFilter->isChecked(), CommaSeperator->isChecked()};
}

void TMainForm::OnComm() {
    // Every character of the batch is handled: several readings may arrive together, and
    // text after the last CR stays for the characters still to come.
    const QByteArray bytes = MSComm1.ReadAvailable();
    for (char ch : bytes) {
        if (Assembler_.Feed(ch, Options())) EndOfReading();
    }
}

void TMainForm::EndOfReading() {
    const std::string shown = DisplayedReading(Assembler_.ReadingText(), SettingsHidden(),
                                               CommaSeperator->isChecked(), SystemDecimalSymbol());
    if (!Lumo.DiscardNext) Display->setText(QString::fromStdString(shown));

    if (Lumo.AnswerComplete(Line.FlowIndex) == TLumoSequencer::TFate::Discard) {
        Assembler_.Clear();
        return;
    }
    // Not into the wedge itself: neither the main window nor one of its dialogs, where an
    // Enter after the digits would accept the port set-up with whatever they picked.
    if (!isActiveWindow() && QApplication::activeWindow() == nullptr) {
        Keyboard_.SendKeys(Assembler_.KeyText(), false);
        Keyboard_.SendKeys(ExpandPostamble(PostambleKeys), true);
    }
    Assembler_.Clear();
    if (BeepOnInput->isChecked() && Beep) Beep();
}

void TMainForm::Timer1Timer() {
    if (!PortOpen()) return;
    // Followed in every flow, so that a change is only ever one tick old.
    const std::optional<bool> dsr = MSComm1.Dsr();
    if (dsr && LastDsr_ && *dsr != *LastDsr_) Lumo.DsrChanged(*dsr, Line.FlowIndex);
    LastDsr_ = dsr;
    if (Lumo.Tick()) MSComm1.Write(QByteArrayLiteral("?\r"));
}

void TMainForm::KbdHook(int keyCode) {
    if (!PortOpen() || keyCode < 0 || keyCode > 3) return;
    switch (HotKeyActions[keyCode]) {
        case 1:
            MSComm1.Write(QByteArrayLiteral("?\r"));
            break;
        case 2:
            MSComm1.SetBreak(true);
            WaitMs(kPulseMs);
            MSComm1.SetBreak(false);
            break;
        case 3:
            MSComm1.SetDtr(false);
            WaitMs(kPulseMs);
            MSComm1.SetDtr(true);
            break;
        default:
            return;
    }
    Lumo.RequestSent();
}

std::string TMainForm::HotKeyFromCommandLine(int keyCode) {
    for (int i = 0; i < 4; ++i) {
        if (keyCode == 0 || HotKeyCodes[i] != keyCode) continue;
        // As with the keyboard: the hot keys act only while the port is open.
        if (!PortOpen()) return "the port is closed; nothing requested";
        KbdHook(i);
        return "ok";
    }
    return "it is not one of the wedge's hot keys";
}

void TMainForm::SelectPort(int number) {
    PortText = std::to_string(number);
    PortNumber = number;
    if (PortOpen()) TogglePort();
    if (number != 0) TogglePort();
    Display->clear();
}

void TMainForm::Combo1Click() {
    const int number = Combo1->currentIndex();
    if (number < 0) return;
    // The option buttons follow, so that both selectors name the port in use.
    // A port beyond the buttons leaves none of them marked.
    Option1Group_->setExclusive(false);
    for (int i = 0; i < 5; ++i) {
        const QSignalBlocker block(Option1[i]);
        Option1[i]->setChecked(i == number);
    }
    Option1Group_->setExclusive(true);
    SelectPort(number);
}

void TMainForm::Option1Click(int index) {
    if (index < 0 || index > 4) return;
    {
        const QSignalBlocker block(Combo1);
        Combo1->setCurrentIndex(index);
    }
    SelectPort(index);
}

void TMainForm::LumoRS232Click() {
    Line.FlowIndex = LumoRS232->isChecked() ? TLumoSequencer::kLumoFlowIndex : 0;
    if (PortOpen()) {
        TogglePort();
        TogglePort();
    }
}

void TMainForm::TermKeyComboClick() {
    const int position = TermKeyCombo->currentIndex();
    if (position >= 0 && position < 7) PostambleKeys = kPostambles[position];
}

void TMainForm::MHideClick() {
    Display->clear();
    SettingsHidden_ = !SettingsHidden_;
    MHide->setChecked(SettingsHidden_);
    if (SettingsHidden_) {
        ApplyHiddenLayout();
    } else {
        ApplyShownLayout();
    }
}

void TMainForm::TellNoPermission(const std::string& path) {
    const TStatusMessage advice(TStatusText::PortNoPermissionAdvice, {path});
    ShowPortProblem({TStatusText::PortNoPermission, {path}}, advice);
    if (std::find(ToldNoPermission_.begin(), ToldNoPermission_.end(), path) !=
        ToldNoPermission_.end()) {
        return;
    }
    ToldNoPermission_.push_back(path);
    if (ShowMessage) ShowMessage(StatusText(LanguageIndex, advice));
}

void TMainForm::MSettingsClick() {
    TPortDeviceChoice device;
    device.ComNumber = PortNumber;
    if (PortNumber > 0) {
        device.Stored = PortMap_.Override(PortNumber);
        device.Ports = ListPorts ? ListPorts() : serial_ports::ListSystemPorts();
    }
    TPortSetup dialog(Line, this, device);
    if (dialog.exec() == QDialog::Accepted) {
        // A new device for the port is used from its next opening.
        if (PortNumber > 0 && dialog.DeviceResult() != device.Stored) {
            PortMap_.SetOverride(PortNumber, dialog.DeviceResult());
            WritePortChoice(PortNumber, dialog.DeviceResult());
            const QString label = QString::fromStdString(PortMap_.Label(PortNumber));
            Combo1->setItemText(PortNumber, label);
            if (PortNumber < 5) Option1[PortNumber]->setToolTip(label);
        }
        const int flowBefore = Line.FlowIndex;
        Line = dialog.Result();
        PortSettings = BuildPortSettings(Line);
        // The open port keeps its line control, but the duplex sequencing follows the new
        // flow at once: DSR counts from now, not from the opening.
        if (Line.FlowIndex != flowBefore && PortOpen()) LastDsr_ = MSComm1.Dsr();
    }
}

namespace {

// Long translations get a smaller font, down to 7 points, rather than being cut off.
void FitCaption(QWidget* control, const QString& text, int extra) {
    QFont font = control->font();
    font.setPointSize(9);
    while (font.pointSize() > 7 &&
           QFontMetrics(font).horizontalAdvance(text) + extra > control->width()) {
        font.setPointSize(font.pointSize() - 1);
    }
    control->setFont(font);
}

}  // namespace

void TMainForm::SetCaption(const std::string& objectName, const std::string& text, bool append) {
    const QString name = QString::fromStdString(objectName);
    const QString caption = QString::fromStdString(text);
    QObject* target = nullptr;
    if (auto* menu = findChild<QMenu*>(name)) {
        menu->setTitle(append ? menu->title() + caption : caption);
        return;
    }
    target = findChild<QObject*>(name);
    if (auto* action = qobject_cast<QAction*>(target)) {
        action->setText(append ? action->text() + caption : caption);
    } else if (auto* label = qobject_cast<QLabel*>(target)) {
        label->setText(append ? label->text() + caption : caption);
    } else if (auto* box = qobject_cast<QGroupBox*>(target)) {
        box->setTitle(append ? box->title() + caption : caption);
    } else if (auto* button = qobject_cast<QAbstractButton*>(target)) {
        button->setText(append ? button->text() + caption : caption);
        FitCaption(button, button->text(), 24);  // room for the check mark
    }
    if (target == Label1) FitCaption(Label1, Label1->text(), 0);
}

void TMainForm::mLangClick(int index) {
    for (QAction* item : mLang) item->setChecked(false);
    if (index >= 0 && index < kLanguageCount) mLang[index]->setChecked(true);
    LanguageIndex = index;
    if (index >= 0 && index < kLanguageCount) {
        HelpFile = HelpFileFor(index);
        for (const auto& [control, text] : CaptionsFor(index)) {
            const bool append = control.starts_with('+');
            SetCaption(append ? control.substr(1) : control, text, append);
        }
    }
    setWindowTitle(
        QString::fromStdString(PortOpen() ? OpenCaption(index, PortText) : ClosedCaption()));
    ShowStatusLine();
}

void TMainForm::HelpIndexClick() {
    if (OpenHelp) OpenHelp(HelpFile);
}

void TMainForm::HelpAboutClick() {
    TAboutBox box(false, this);
    box.exec();
}
