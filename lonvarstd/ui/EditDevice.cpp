#include "ui/EditDevice.h"

#include <QComboBox>
#include <QEvent>
#include <QFocusEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QStringList>
#include <QTimer>
#include <algorithm>
#include <cstdio>

#include "engine/dataModule.h"
#include "support/locale_separators.h"
#include "support/new_ini_file.h"
#include "support/prog_paths.h"
#include "ui/FormControls.h"
#include "ui/Frmsize.h"
#include "ui/Image.h"
#include "ui/MultiLang.h"
#include "ui/Panel.h"
#include "ui/QtText.h"
#include "ui/TargetFileDialogs.h"
#include "ui/UserDialogs.h"

namespace {

constexpr int kClientWidth = 657;
constexpr int kClientHeight = 555;
constexpr int kBlinkMs = 660;
constexpr int kNameMaxLength = 20;
// Nine digits always fit a 32-bit number.
constexpr int kNumberDigits = 9;
constexpr int kEditHeight = 21;
constexpr int kComboHeight = 22;
constexpr int kFileButtonSize = 21;
const QColor kSilver(0xC0, 0xC0, 0xC0);

QLineEdit* MakeEdit(QWidget* parent, const char* name, int x, int y, int width) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(name);
    edit->setGeometry(x, y, width, kEditHeight);
    return edit;
}

// Digits only, typed or pasted.
QLineEdit* MakeNumberEdit(QWidget* parent, const char* name, int x, int y, int width) {
    QLineEdit* edit = MakeEdit(parent, name, x, y, width);
    edit->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QString("[0-9]{0,%1}").arg(kNumberDigits)), edit));
    return edit;
}

QComboBox* MakeList(QWidget* parent, const char* name, int x, int y, int width) {
    auto* combo = new QComboBox(parent);
    combo->setObjectName(name);
    combo->setGeometry(x, y, width, kComboHeight);
    return combo;
}

QPushButton* MakeFileButton(QWidget* parent, const char* name, int x, int y) {
    auto* button = new QPushButton("...", parent);
    button->setObjectName(name);
    button->setGeometry(x, y, kFileButtonSize, kFileButtonSize);
    button->setAutoDefault(false);
    return button;
}

// A radio button with its caption on the left, ending at `right`.
QRadioButton* MakeLeftRadio(QWidget* parent, const char* name, const QString& text, int x, int y,
                            int right) {
    auto* radio = new QRadioButton(text, parent);
    radio->setObjectName(name);
    radio->setLayoutDirection(Qt::RightToLeft);
    radio->setGeometry(x, y - 2, right - x, 20);
    return radio;
}

TPanel* MakePanel(QWidget* parent, const char* name, int x, int y, int width, int height) {
    auto* panel = new TPanel(parent);
    panel->setObjectName(name);
    panel->setGeometry(x, y, width, height);
    return panel;
}

// The text as a whole decimal number within range, else `def`.
int ReadNumber(const QLineEdit* edit, int def) {
    bool ok = false;
    const int value = edit->text().trimmed().toInt(&ok);
    return ok ? value : def;
}

int ClampIndex(int index, int count) {
    return index >= 0 && index < count ? index : 0;
}

// hours:minutes:seconds as the time edit shows it; at most 99 hours fit its mask.
QString TimerText(std::int64_t ms) {
    constexpr std::int64_t kMaxShownMs = (99LL * 3600 + 59 * 60 + 59) * 1000;
    return Q(TD::MsToTimeStr(std::min(ms, kMaxShownMs)));
}

// The parts of the time edit; a part that is not a number counts 0.
std::int64_t TimerMs(const QString& text) {
    const QStringList parts = text.split(QChar(TimeSeparator()));
    std::int64_t seconds = 0;
    const int factors[3] = {3600, 60, 1};
    for (int i = 0; i < 3; ++i) {
        bool ok = false;
        const int value = i < parts.size() ? parts[i].trimmed().toInt(&ok) : 0;
        if (ok && value > 0) seconds += static_cast<std::int64_t>(value) * factors[i];
    }
    return seconds * 1000;
}

}  // namespace

TFrmEditDevice::TFrmEditDevice(QWidget* parent) : QDialog(parent) {
    setObjectName("FrmEditDevice");
    setWindowTitle("~Messgeräte parametrieren");
    setFixedSize(kClientWidth, kClientHeight);
    QFont formFont = font();
    formFont.setPixelSize(13);
    formFont.setBold(true);
    setFont(formFont);

    BuildIdentity();
    BuildSwitchPanel();
    PnlMessgeraet = MakePanel(this, "PnlMessgeraet", 16, 152, 625, 364);
    PnlMessgeraet->SetBevels(tBevel::None, tBevel::None);
    BuildRequestPanel();
    BuildTargetPanel();

    BtnOk = new QPushButton("~&Ok", this);
    BtnOk->setObjectName("BtnOk");
    BtnOk->setGeometry(424, 520, 97, 25);
    BtnOk->setDefault(true);
    connect(BtnOk, &QPushButton::clicked, this, &QDialog::accept);
    Button1 = new QPushButton("~&Abbruch", this);
    Button1->setObjectName("Button1");
    Button1->setGeometry(536, 520, 97, 25);
    Button1->setAutoDefault(false);
    connect(Button1, &QPushButton::clicked, this, &QDialog::reject);

    TmrBlink = new QTimer(this);
    TmrBlink->setObjectName("TmrBlink");
    TmrBlink->setInterval(kBlinkMs);
    connect(TmrBlink, &QTimer::timeout, this, &TFrmEditDevice::TmrBlinkTimer);
    TmrBlink->start();

    TranslateForm(this);
    // Translated captions bring their own widths.
    for (QLabel* label : findChildren<QLabel*>()) {
        if (qobject_cast<TImage*>(label) == nullptr) label->adjustSize();
    }
    PnlDeviceDescription->SetColor(kSilver);
}

TFrmEditDevice::~TFrmEditDevice() = default;

void TFrmEditDevice::BuildIdentity() {
    PnlDeviceDescription = MakePanel(this, "PnlDeviceDescription", 16, 8, 625, 137);
    PnlDeviceDescription->SetBevels(tBevel::None, tBevel::Lowered);
    QWidget* p = PnlDeviceDescription;

    Image = new TImage(p);
    Image->setObjectName("Image");
    Image->setGeometry(12, 4, 36, 36);
    LblDevice = MakeLabel(p, "LblDevice", "...", 13, 49);
    LblDevice->setFixedWidth(100);

    Label10 = MakeLabel(p, "Label10", "~Anschluss", 120, 9);
    LblDeviceDescription = MakeLabel(p, "LblDeviceDescription", "", 272, 9);
    LblDeviceDescription->setFixedWidth(170);
    CBxDeviceDescription = MakeList(p, "CBxDeviceDescription", 272, 5, 169);
    connect(CBxDeviceDescription, &QComboBox::activated, this,
            &TFrmEditDevice::CBxDeviceDescrChange);

    Label14 = MakeLabel(p, "Label14", "~Typ", 120, 41);
    LblDeviceType = MakeLabel(p, "LblDeviceType", "~Schalter", 272, 41);
    LblDeviceType->setFixedWidth(170);
    CBxDeviceType = MakeList(p, "CBxDeviceType", 272, 37, 169);
    connect(CBxDeviceType, &QComboBox::activated, this, &TFrmEditDevice::CBxDeviceTypeChange);

    Label15 = MakeLabel(p, "Label15", "~Name", 120, 73);
    EdtdeviceName = MakeEdit(p, "EdtdeviceName", 272, 69, 169);
    EdtdeviceName->setMaxLength(kNameMaxLength);
    EdtdeviceName->installEventFilter(this);

    LblSerNrTitle = MakeLabel(p, "LblSerNrTitle", "~Seriennummer", 120, 105);
    LblSerNr = MakeLabel(p, "LblSerNr", "", 272, 105);
    LblSerNr->setFixedWidth(170);

    PnlDeviceType = MakePanel(p, "PnlDeviceType", 452, 4, 168, 128);
    PnlDeviceType->SetColor(Qt::black);
    PnlDeviceType->SetBevels(tBevel::Raised, tBevel::Raised, 2);
    ImgDeviceType = new TImage(PnlDeviceType);
    ImgDeviceType->setObjectName("ImgDeviceType");
    ImgDeviceType->setGeometry(4, 4, 160, 120);
}

void TFrmEditDevice::BuildSwitchPanel() {
    PnlSchalter = MakePanel(this, "PnlSchalter", 16, 152, 625, 73);
    Label8 = MakeLabel(PnlSchalter, "Label8", "~Betätigungen pro Zyklus", 16, 11);
    EdtSchalterCycleCount = MakeNumberEdit(PnlSchalter, "EdtSchalterCycleCount", 272, 7, 57);
    Label13 = MakeLabel(PnlSchalter, "Label13", "~aktuell Nr.", 16, 43);
    EdtSchalterCycleIdx = MakeNumberEdit(PnlSchalter, "EdtSchalterCycleIdx", 272, 39, 57);
}

void TFrmEditDevice::BuildRequestPanel() {
    PnlAnforder = MakePanel(PnlMessgeraet, "PnlAnforder", 0, 0, 625, 89);
    Label11 = MakeLabel(PnlAnforder, "Label11", "~Anforderung", 16, 12);
    CBxAnforderType = MakeList(PnlAnforder, "CBxAnforderType", 200, 8, 145);
    CBxAnforderType->addItems({"~Keine", "~Tastatur", "~TV-I-Schalter", "~Timer"});
    connect(CBxAnforderType, &QComboBox::activated, this, &TFrmEditDevice::CBxAnforderTypeChange);

    CBxAnforderTasteKeyb = MakeList(PnlAnforder, "CBxAnforderTasteKeyb", 352, 8, 81);
    for (int key = 1; key <= 12; ++key) CBxAnforderTasteKeyb->addItem(QString("F%1").arg(key));
    CBxAnforderTasteTVI = MakeList(PnlAnforder, "CBxAnforderTasteTVI", 352, 8, 257);
    EdtAnforderTimer = MakeEdit(PnlAnforder, "EdtAnforderTimer", 352, 8, 81);
    const QString sep = QString("\\") + QChar(TimeSeparator());
    EdtAnforderTimer->setInputMask("99" + sep + "99" + sep + "99;_");
    // A time below what the device can keep shows the period it will run with.
    connect(EdtAnforderTimer, &QLineEdit::editingFinished, this, [this] {
        EdtAnforderTimer->setText(
            TimerText(tDevice::TimerPeriodFor(TimerMs(EdtAnforderTimer->text()), description_)));
    });

    PnlAnforderCycle = MakePanel(PnlAnforder, "PnlAnforderCycle", 1, 36, 600, 50);
    PnlAnforderCycle->SetBevels(tBevel::None, tBevel::None);
    RBtAnforderCycleEvery = new QRadioButton("~jedesmal", PnlAnforderCycle);
    RBtAnforderCycleEvery->setObjectName("RBtAnforderCycleEvery");
    RBtAnforderCycleEvery->setGeometry(200, 4, 220, 20);
    RBtAnforderCycleNumber = new QRadioButton("~bei Betätigung Nr.", PnlAnforderCycle);
    RBtAnforderCycleNumber->setObjectName("RBtAnforderCycleNumber");
    RBtAnforderCycleNumber->setGeometry(200, 28, 220, 20);
    EdtAnforderCycleIdx = MakeNumberEdit(PnlAnforderCycle, "EdtAnforderCycleIdx", 429, 26, 57);
}

void TFrmEditDevice::BuildTargetPanel() {
    PnlZiel = MakePanel(PnlMessgeraet, "PnlZiel", 0, 96, 625, 265);
    LblZiel = MakeLabel(PnlZiel, "LblZiel", "~Ziel", 16, 12);
    CBxZielAppl = MakeList(PnlZiel, "CBxZielAppl", 200, 8, 145);
    CBxZielAppl->addItems({"~Kein", "~Excel", "~Textdatei"});
    connect(CBxZielAppl, &QComboBox::activated, this, &TFrmEditDevice::CBxZielApplChange);

    GBxTxt = new QGroupBox("~Textdatei-Einstellungen", PnlZiel);
    GBxTxt->setObjectName("GBxTxt");
    GBxTxt->setGeometry(24, 40, 585, 65);
    Label9 = MakeLabel(GBxTxt, "Label9", "~Datei", 24, 28);
    BtnTxtZielFile = MakeFileButton(GBxTxt, "BtnTxtZielFile", 192, 24);
    connect(BtnTxtZielFile, &QPushButton::clicked, this, &TFrmEditDevice::BtnTxtZielFileClick);
    EdtTxtZielFile = MakeEdit(GBxTxt, "EdtTxtZielFile", 216, 24, 313);

    GBxExcel = new QGroupBox("~Excel-Einstellungen", PnlZiel);
    GBxExcel->setObjectName("GBxExcel");
    GBxExcel->setGeometry(24, 40, 585, 209);
    Label12 = MakeLabel(GBxExcel, "Label12", "~Öffnen als", 24, 21);
    RBtXlsZielVorlage = MakeLeftRadio(GBxExcel, "RBtXlsZielVorlage", "~Vorlage", 22, 45, 188);
    BtnXlsZielVorlage = MakeFileButton(GBxExcel, "BtnXlsZielVorlage", 192, 40);
    connect(BtnXlsZielVorlage, &QPushButton::clicked, this,
            &TFrmEditDevice::BtnXlsZielVorlageClick);
    EdtXlsZielVorlage = MakeEdit(GBxExcel, "EdtXlsZielVorlage", 216, 40, 313);
    EdtXlsZielVorlage->setReadOnly(true);
    RBtXlsZielFile = MakeLeftRadio(GBxExcel, "RBtXlsZielFile", "~Datei", 22, 69, 188);
    BtnXlsZielFile = MakeFileButton(GBxExcel, "BtnXlsZielFile", 192, 64);
    connect(BtnXlsZielFile, &QPushButton::clicked, this, &TFrmEditDevice::BtnXlsZielFileClick);
    EdtXlsZielFile = MakeEdit(GBxExcel, "EdtXlsZielFile", 216, 64, 313);
    connect(RBtXlsZielVorlage, &QRadioButton::toggled, this, &TFrmEditDevice::RBtXlsZielFileClick);
    connect(RBtXlsZielFile, &QRadioButton::toggled, this, &TFrmEditDevice::RBtXlsZielFileClick);

    // Above the two names rather than over them, so that they stay readable while it blinks.
    PnlXlsGlobal = MakePanel(GBxExcel, "PnlXlsGlobal", 376, 14, 153, 24);
    PnlXlsGlobal->SetBevels(tBevel::Lowered, tBevel::Raised);
    PnlXlsGlobal->SetCaption("~global");
    PnlXlsGlobal->hide();

    Label4 = MakeLabel(GBxExcel, "Label4", "~Tabelle", 24, 108);
    EdtXlsZieltable = MakeEdit(GBxExcel, "EdtXlsZieltable", 192, 104, 201);
    Label5 = MakeLabel(GBxExcel, "Label5", "~Spalte", 24, 132);
    EdtXlsZielCol = MakeNumberEdit(GBxExcel, "EdtXlsZielCol", 192, 128, 57);
    Label6 = MakeLabel(GBxExcel, "Label6", "~Startzeile", 24, 156);
    EdtXlsZielStartRow = MakeNumberEdit(GBxExcel, "EdtXlsZielStartRow", 192, 152, 57);
    Label3 = MakeLabel(GBxExcel, "Label3", "~Aktuelle Zeile", 24, 180);
    EdtXlsZielActRow = MakeNumberEdit(GBxExcel, "EdtXlsZielActRow", 192, 176, 57);
    for (QLineEdit* edit : {EdtXlsZielCol, EdtXlsZielStartRow, EdtXlsZielActRow}) {
        edit->installEventFilter(this);
    }
}

// --- pictures ---

void TFrmEditDevice::LoadPictures(const TD& d) {
    // Copies: loading the pictures fills the descriptions' picture positions, and the
    // engine's own descriptions are read by the running workers.
    auto copy = [](const tDeviceDescrList& from, tDeviceDescrList& to) {
        to.clear();
        for (const auto& descr : from) to.push_back(std::make_unique<tDeviceDescr>(*descr));
    };
    copy(d.UsbDescrs, usbDescrs_);
    copy(d.Rs232Descrs, rs232Descrs_);
    if (shared_ != nullptr) return;  // the copies carry the shared pictures' positions
    ownPictures_.Load(usbDescrs_, rs232Descrs_);
    ownPictures_.LoadSwitchPictures();
}

const std::vector<int>& TFrmEditDevice::ImageIdxOf(const tDeviceDescr* descr) const {
    static const std::vector<int> placeholderOnly{0};
    if (device_ == nullptr || descr == nullptr) return placeholderOnly;
    const TD& d = device_->Owner();
    auto find = [&](const tDeviceDescrList& engine,
                    const tDeviceDescrList& copies) -> const std::vector<int>* {
        for (std::size_t i = 0; i < engine.size() && i < copies.size(); ++i) {
            if (engine[i].get() == descr) return &copies[i]->ImageIdx;
        }
        return nullptr;
    };
    const std::vector<int>* found = find(d.UsbDescrs, usbDescrs_);
    if (found == nullptr) found = find(d.Rs232Descrs, rs232Descrs_);
    return found != nullptr && !found->empty() ? *found : placeholderOnly;
}

void TFrmEditDevice::FillTypeList(const tDeviceDescr* descr) {
    CBxDeviceType->clear();
    const auto& names = Pictures().ImageNames();
    for (int k : ImageIdxOf(descr)) {
        const std::size_t at = static_cast<std::size_t>(k);
        CBxDeviceType->addItem(at < names.size() ? Q(names[at]) : Q(names[0]));
    }
}

void TFrmEditDevice::SelectTypeName(const QString& typeName) {
    const int found = CBxDeviceType->findText(typeName, Qt::MatchExactly | Qt::MatchCaseSensitive);
    CBxDeviceType->setCurrentIndex(found >= 0 ? found : 0);
    CBxDeviceTypeChange();
}

void TFrmEditDevice::ShowKind(std::uint8_t kind) {
    PnlMessgeraet->setVisible(kind == DescrKindInstrument);
    PnlSchalter->setVisible(kind == DescrKindSwitch);
    CBxDeviceType->setVisible(kind != DescrKindSwitch);
    LblDeviceType->setVisible(kind == DescrKindSwitch);
}

// --- loading ---

void TFrmEditDevice::SetDevice(tDevice& device) {
    device_ = &device;
    const TD& d = device.Owner();
    LoadPictures(d);

    typeName_ = Q(device.DeviceType);
    if (device.Connection == ConnectionUsb) {
        LblDevice->setText(Q(device.GetPortName()));
        LblSerNr->setText(Q(device.GetSerNr()));
        Image->SetPicture(BuiltinPicture(tBuiltinPicture::UsbPlug));
    } else if (device.Connection == ConnectionRs232) {
        LblDevice->setText(Q(device.GetPortName()));
        LblSerNrTitle->hide();
        LblSerNr->hide();
        Image->SetPicture(BuiltinPicture(tBuiltinPicture::Rs232Plug));
    } else {
        LblDevice->setText("...");
        LblSerNrTitle->hide();
        LblSerNr->hide();
    }
    // A longer name from a hand-edited file is shown whole and kept unless shortened.
    EdtdeviceName->setMaxLength(std::max<int>(kNameMaxLength, Q(device.DeviceName).size()));
    EdtdeviceName->setText(Q(device.DeviceName));
    lastCheckedName_.clear();

    CBxDeviceDescription->clear();
    if (device.Connection == ConnectionRs232) {
        for (const auto& descr : d.Rs232Descrs) CBxDeviceDescription->addItem(Q(descr->Caption));
        CBxDeviceDescription->setCurrentIndex(
            ClampIndex(device.DescrIdx, CBxDeviceDescription->count()));
        CBxDeviceDescription->show();
        LblDeviceDescription->hide();
    } else {
        CBxDeviceDescription->hide();
        LblDeviceDescription->setText(device.Descr ? Q(device.Descr->Caption) : QString());
        LblDeviceDescription->show();
    }

    CBxAnforderType->setEnabled(device.Descr == nullptr || device.Descr->ReqKind != ReqKindNone);

    description_ = device.Descr;
    kind_ = description_ ? description_->Kind : std::uint8_t{DescrKindUndef};
    ShowKind(kind_);
    if (kind_ == DescrKindSwitch) {
        ImgDeviceType->SetPicture(Pictures().SwitchBig());
    } else {
        FillTypeList(description_);
        SelectTypeName(typeName_);
    }
    loadedTypeText_ = CBxDeviceType->currentText();

    // The switch cables that may trigger this device; a stored one that is not plugged
    // in keeps an entry of its own, so that editing anything else does not unbind it.
    CBxAnforderTasteTVI->clear();
    switchIds_.clear();
    for (const auto& other : d.Devices) {
        if (!other->IsSwitch()) continue;
        const std::string name =
            tavrix::TrimBlanks(other->DeviceName).empty() ? other->GetId() : other->DeviceName;
        CBxAnforderTasteTVI->addItem(Q(name));
        switchIds_.push_back(other->GetId());
    }
    const auto stored = std::find(switchIds_.begin(), switchIds_.end(), device.AnforderSerNrTVI);
    if (stored == switchIds_.end() && !device.AnforderSerNrTVI.empty()) {
        CBxAnforderTasteTVI->addItem(QString("%1 (%2)").arg(Q(device.AnforderSerNrTVI),
                                                            TranslateText("~nicht angeschlossen")));
        switchIds_.push_back(device.AnforderSerNrTVI);
    }

    requestType_ = ClampIndex(device.AnforderType, CBxAnforderType->count());
    CBxAnforderType->setCurrentIndex(requestType_);

    const int key = CBxAnforderTasteKeyb->findText(Q(device.AnforderTasteKeyb),
                                                   Qt::MatchExactly | Qt::MatchCaseSensitive);
    CBxAnforderTasteKeyb->setCurrentIndex(key >= 0 ? key : 0);
    const auto switchAt = std::find(switchIds_.begin(), switchIds_.end(), device.AnforderSerNrTVI);
    CBxAnforderTasteTVI->setCurrentIndex(
        switchAt != switchIds_.end() ? static_cast<int>(switchAt - switchIds_.begin()) : 0);
    // The period the worker will keep, not a shorter one it would not.
    EdtAnforderTimer->setText(
        TimerText(tDevice::TimerPeriodFor(device.AnforderTicksTimer, device.Descr)));
    loadedTimerText_ = EdtAnforderTimer->text();

    RBtAnforderCycleNumber->setChecked(device.AnforderCycle);
    RBtAnforderCycleEvery->setChecked(!device.AnforderCycle);
    EdtAnforderCycleIdx->setText(QString::number(device.AnforderCycleIdx));
    EdtSchalterCycleCount->setText(QString::number(device.SchalterCycleCount));
    EdtSchalterCycleIdx->setText(QString::number(device.SchalterCycleIdx));

    CBxAnforderTypeChange();
    CBxZielAppl->setCurrentIndex(ClampIndex(device.MwZielAppl, CBxZielAppl->count()));
    CBxZielApplChange();

    // Spreadsheet target: the global one, shown locked, or the device's own.
    const bool global = d.XlsGlobSlct;
    const std::string& vorlage = global ? d.XlsGlobVorlage : device.MwXlsZielVorlage;
    const std::string& file = global ? d.XlsGlobFile : device.MwXlsZielFile;
    vorlageStartDir_ = StartFolder(vorlage, d.XlsZielVorlageDir);
    xlsFileStartDir_ = StartFolder(file, d.XlsZielFileDir);
    for (QWidget* w :
         std::initializer_list<QWidget*>{RBtXlsZielVorlage, EdtXlsZielVorlage, RBtXlsZielFile,
                                         EdtXlsZielFile, BtnXlsZielVorlage, BtnXlsZielFile}) {
        w->setEnabled(!global);
    }
    PnlXlsGlobal->setVisible(global);
    const bool vorlageSlct = global ? d.XlsGlobVorlageSlct : device.MwXlsZielVorlageSlct;
    RBtXlsZielVorlage->setChecked(vorlageSlct);
    RBtXlsZielFile->setChecked(!vorlageSlct);
    EdtXlsZielVorlage->setText(Q(vorlage));
    EdtXlsZielFile->setText(Q(file));
    RBtXlsZielFileClick();

    txtStartDir_ = StartFolder(device.MwTxtZielFile, d.TxtZielFileDir);
    EdtTxtZielFile->setText(Q(device.MwTxtZielFile));
    EdtXlsZieltable->setText(Q(device.MwXlsZielTable));
    EdtXlsZielCol->setText(QString::number(device.MwXlsZielCol));
    EdtXlsZielStartRow->setText(QString::number(device.MwXlsZielStartRow));
    EdtXlsZielActRow->setText(QString::number(device.XlsRow));

    chosenVorlage_.clear();
    chosenXlsFile_.clear();
    chosenTxtFile_.clear();
}

// --- storing ---

tEditDeviceResult TFrmEditDevice::StoreDevice() {
    tEditDeviceResult result;
    result.Ok = true;
    if (device_ == nullptr) return result;
    tDevice& dev = *device_;
    TD& d = dev.Owner();

    if (EdtdeviceName->text() != lastCheckedName_) EdtdeviceNameExit();

    // The description is applied by the caller, with the device's worker stopped.
    const tDeviceDescr* chosen = dev.Descr;
    if (dev.Connection == ConnectionRs232) {
        const int idx = CBxDeviceDescription->currentIndex();
        if (idx >= 0 && static_cast<std::size_t>(idx) < d.Rs232Descrs.size()) {
            chosen = d.Rs232Descrs[static_cast<std::size_t>(idx)].get();
            if (idx != dev.DescrIdx) result.NewRs232DescrIdx = idx;
        }
    }
    const std::uint8_t kind = chosen ? chosen->Kind : std::uint8_t{DescrKindUndef};
    // An untouched type list keeps the stored name, which may name no picture here.
    if (kind != DescrKindSwitch && CBxDeviceType->currentText() != loadedTypeText_) {
        dev.DeviceType = S(CBxDeviceType->currentText());
    }
    dev.DeviceName = S(EdtdeviceName->text());

    dev.AnforderType = static_cast<std::uint8_t>(std::max(0, CBxAnforderType->currentIndex()));
    dev.AnforderTasteKeyb = S(CBxAnforderTasteKeyb->currentText());
    // The binding matters only to a switch request; other kinds keep what is stored
    // rather than taking the first switch cable listed.
    const int switchIdx = CBxAnforderTasteTVI->currentIndex();
    if (dev.AnforderType == AnforderSwitch) {
        dev.AnforderSerNrTVI =
            switchIdx >= 0 && static_cast<std::size_t>(switchIdx) < switchIds_.size()
                ? switchIds_[static_cast<std::size_t>(switchIdx)]
                : std::string();
    }
    // An untouched time keeps its milliseconds, which the h:m:s text may not show; a
    // timer stores the period it will run with.
    const bool timeTouched = EdtAnforderTimer->text() != loadedTimerText_;
    const std::int64_t timerMs =
        timeTouched ? TimerMs(EdtAnforderTimer->text()) : dev.AnforderTicksTimer.load();
    if (dev.AnforderType == AnforderTimer) {
        dev.AnforderTicksTimer = tDevice::TimerPeriodFor(timerMs, chosen);
    } else if (timeTouched) {
        dev.AnforderTicksTimer = static_cast<std::int32_t>(timerMs);
    }

    dev.AnforderCycle = RBtAnforderCycleNumber->isChecked();
    dev.AnforderCycleIdx = ReadNumber(EdtAnforderCycleIdx, 1);

    const std::int32_t oldCount = dev.SchalterCycleCount;
    dev.SchalterCycleCount = ReadNumber(EdtSchalterCycleCount, 1);
    dev.SchalterCycleIdx = ReadNumber(EdtSchalterCycleIdx, 1);
    if (dev.SchalterCycleCount != oldCount) dev.SchalterCycleIdx = 0;

    dev.MwZielAppl = static_cast<std::uint8_t>(std::max(0, CBxZielAppl->currentIndex()));

    bool targetMoved = false;
    if (!d.XlsGlobSlct) {
        dev.MwXlsZielVorlageSlct = RBtXlsZielVorlage->isChecked();
        dev.MwXlsZielVorlage = S(EdtXlsZielVorlage->text());
        const std::string file = S(EdtXlsZielFile->text());
        targetMoved = file != dev.MwXlsZielFile;
        dev.MwXlsZielFile = file;
    }
    dev.MwTxtZielFile = S(EdtTxtZielFile->text());
    const std::string table = S(EdtXlsZieltable->text());
    targetMoved = targetMoved || table != dev.MwXlsZielTable;
    dev.MwXlsZielTable = table;
    // Column and rows count from 1, however the dialog was closed.
    const std::int32_t col = std::max(1, ReadNumber(EdtXlsZielCol, 1));
    targetMoved = targetMoved || col != dev.MwXlsZielCol;
    dev.MwXlsZielCol = col;
    dev.MwXlsZielStartRow = std::max(1, ReadNumber(EdtXlsZielStartRow, 1));
    dev.XlsRow = ReadNumber(EdtXlsZielActRow, 1);
    if (targetMoved) dev.XlsRow = dev.MwXlsZielStartRow;
    dev.XlsRow = std::max(dev.XlsRow, dev.MwXlsZielStartRow);

    // A start folder follows only a file really chosen here.
    if (!chosenVorlage_.isEmpty()) d.XlsZielVorlageDir = S(FolderOfPath(chosenVorlage_));
    if (!chosenXlsFile_.isEmpty()) d.XlsZielFileDir = S(FolderOfPath(chosenXlsFile_));
    if (!chosenTxtFile_.isEmpty()) d.TxtZielFileDir = S(FolderOfPath(chosenTxtFile_));
    try {
        d.SaveProgIni();
    } catch (const std::exception& e) {
        UserDialogs().ShowMessage(this, QString::fromLocal8Bit(e.what()));
    }
    return result;
}

tEditDeviceResult TFrmEditDevice::Execute(tDevice& device) {
    SetDevice(device);
    tModalDialogGuard guard;
    if (exec() != QDialog::Accepted) return {};
    return StoreDevice();
}

// --- handlers ---

void TFrmEditDevice::CBxDeviceDescrChange() {
    if (device_ == nullptr) return;
    const TD& d = device_->Owner();
    const int idx = CBxDeviceDescription->currentIndex();
    if (idx < 0 || static_cast<std::size_t>(idx) >= d.Rs232Descrs.size()) return;
    const tDeviceDescr* chosen = d.Rs232Descrs[static_cast<std::size_t>(idx)].get();
    kind_ = chosen->Kind;
    ShowKind(kind_);
    if (kind_ == DescrKindSwitch) {
        ImgDeviceType->SetPicture(Pictures().SwitchBig());
        return;
    }
    description_ = chosen;
    typeName_ = CBxDeviceType->currentText();
    FillTypeList(description_);
    SelectTypeName(typeName_);
    if (kind_ != DescrKindInstrument) return;
    const bool requestable = description_->ReqKind != ReqKindNone;
    CBxAnforderType->setEnabled(requestable);
    if (!requestable) {
        CBxAnforderType->setCurrentIndex(AnforderNone);
        CBxAnforderTypeChange();
    }
}

void TFrmEditDevice::CBxDeviceTypeChange() {
    const int row = CBxDeviceType->currentIndex();
    const std::vector<int>& positions = ImageIdxOf(description_);
    const int picture =
        row >= 0 && static_cast<std::size_t>(row) < positions.size() ? positions[row] : 0;
    ImgDeviceType->SetPicture(Pictures().Big(picture));
}

void TFrmEditDevice::CBxAnforderTypeChange() {
    requestType_ = CBxAnforderType->currentIndex();
    CBxAnforderTasteKeyb->hide();
    CBxAnforderTasteTVI->hide();
    EdtAnforderTimer->hide();
    PnlAnforderCycle->hide();
    switch (requestType_) {
        case AnforderKey:
            CBxAnforderTasteKeyb->show();
            break;
        case AnforderSwitch:
            CBxAnforderTasteTVI->show();
            PnlAnforderCycle->show();
            break;
        case AnforderTimer:
            EdtAnforderTimer->show();
            break;
        default:
            break;
    }
}

void TFrmEditDevice::CBxZielApplChange() {
    GBxExcel->setVisible(CBxZielAppl->currentIndex() == MwZielXls);
    GBxTxt->setVisible(CBxZielAppl->currentIndex() == MwZielTxt);
}

void TFrmEditDevice::RBtXlsZielFileClick() {
    if (device_ == nullptr || device_->Owner().XlsGlobSlct) return;
    const bool vorlage = RBtXlsZielVorlage->isChecked();
    const bool file = RBtXlsZielFile->isChecked();
    EdtXlsZielVorlage->setEnabled(vorlage);
    BtnXlsZielVorlage->setEnabled(vorlage);
    EdtXlsZielFile->setEnabled(file);
    BtnXlsZielFile->setEnabled(file);
}

QString TFrmEditDevice::ChooseXlsFile(bool vorlage, const QString& startFolder) {
    const tFileDialogRequest request =
        TargetFileRequest(vorlage ? tTargetFile::XlsVorlage : tTargetFile::XlsFile, startFolder);
    return UserDialogs().ChooseFile(this, request);
}

void TFrmEditDevice::BtnXlsZielVorlageClick() {
    const QString name = ChooseXlsFile(true, vorlageStartDir_);
    if (name.isEmpty()) return;
    EdtXlsZielVorlage->setText(name);
    chosenVorlage_ = name;
    vorlageStartDir_ = FolderOfPath(name);
}

void TFrmEditDevice::BtnXlsZielFileClick() {
    const QString name = ChooseXlsFile(false, xlsFileStartDir_);
    if (name.isEmpty()) return;
    EdtXlsZielFile->setText(name);
    chosenXlsFile_ = name;
    xlsFileStartDir_ = FolderOfPath(name);
}

void TFrmEditDevice::BtnTxtZielFileClick() {
    const QString current = EdtTxtZielFile->text();
    const QString folder = FolderOfPath(current);
    const QString fileName = current.mid(folder.size());
    const tFileDialogRequest request =
        TargetFileRequest(tTargetFile::TxtFile, folder.isEmpty() ? txtStartDir_ : folder, fileName);
    const QString name = UserDialogs().ChooseFile(this, request);
    if (name.isEmpty()) return;
    EdtTxtZielFile->setText(name);
    chosenTxtFile_ = name;
}

void TFrmEditDevice::EdtdeviceNameExit() {
    if (device_ == nullptr || checkingName_) return;
    // The message box takes the focus from the edit; that is no second exit.
    checkingName_ = true;
    const QString name = EdtdeviceName->text();
    lastCheckedName_ = name;
    for (const auto& other : device_->Owner().Devices) {
        if (other->DevIdx == device_->DevIdx) continue;
        if (Q(tavrix::TrimBlanks(other->DeviceName)) == name) {
            UserDialogs().ShowMessage(this, TranslateText("~Name bereits vergeben"));
        }
    }
    checkingName_ = false;
}

void TFrmEditDevice::EdtXlsNumExit(QLineEdit* edit) {
    if (ReadNumber(edit, 1) <= 0) edit->setText("1");
}

void TFrmEditDevice::TmrBlinkTimer() {
    if (device_ != nullptr && device_->Owner().XlsGlobSlct) {
        PnlXlsGlobal->setVisible(!PnlXlsGlobal->isVisible());
    }
}

// --- events ---

bool TFrmEditDevice::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusOut) {
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        // Switching windows or opening a menu does not leave the edit.
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
            if (watched == EdtdeviceName) {
                EdtdeviceNameExit();
            } else if (watched == EdtXlsZielCol || watched == EdtXlsZielStartRow ||
                       watched == EdtXlsZielActRow) {
                EdtXlsNumExit(static_cast<QLineEdit*>(watched));
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TFrmEditDevice::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    TSize size(this);
    size.MemSize = false;
    size.RestoreFromProgIni();
}

void TFrmEditDevice::done(int result) {
    // OK by Enter never leaves the name edit: check the name before the dialog goes.
    if (result == QDialog::Accepted && EdtdeviceName->text() != lastCheckedName_) {
        EdtdeviceNameExit();
    }
    TSize size(this);
    size.MemSize = false;
    size.StoreInProgIni();
    QDialog::done(result);
}

tEditDeviceResult EditDevice(QWidget* parent, tDevice& device, const tDevicePictures& pictures) {
    TFrmEditDevice form(parent);
    form.UsePictures(pictures);
    return form.Execute(device);
}
