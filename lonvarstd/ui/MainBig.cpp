#include "ui/MainBig.h"

#include <QAbstractTableModel>
#include <QApplication>
#include <QCloseEvent>
#include <QFrame>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTimer>
#include <QTreeView>
#include <QVBoxLayout>
#include <algorithm>
#include <array>
#include <cstdio>
#include <exception>

#include "engine/dataModule.h"
#include "support/new_ini_file.h"
#include "support/prog_paths.h"
#include "ui/DXLed.h"
#include "ui/FormControls.h"
#include "ui/Frmsize.h"
#include "ui/Image.h"
#include "ui/KeyCodes.h"
#include "ui/MultiLang.h"
#include "ui/Panel.h"
#include "ui/PathText.h"
#include "ui/PnlViewDevice.h"
#include "ui/QtText.h"
#include "ui/SpeedButton.h"
#include "ui/UserDialogs.h"

// The hidden device list shows the engine's rows as they stand: caption and five
// sub-items, the state lamp of the row and of its status column.
class tDeviceRowsModel : public QAbstractTableModel {
public:
    tDeviceRowsModel(tDeviceListModel& rows, QObject* parent)
        : QAbstractTableModel(parent), rows_(rows) {}

    int rowCount(const QModelIndex& parent = QModelIndex()) const override {
        return parent.isValid() ? 0 : static_cast<int>(rows_.Count());
    }
    int columnCount(const QModelIndex& parent = QModelIndex()) const override {
        return parent.isValid() ? 0 : 6;
    }
    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid() || index.row() >= rowCount()) return {};
        const tDeviceListRow& row = rows_.Row(static_cast<std::size_t>(index.row()));
        const int col = index.column();
        if (role == Qt::DisplayRole) {
            return QString::fromStdString(
                col == 0 ? row.Caption : row.SubItems[static_cast<std::size_t>(col - 1)]);
        }
        if (role == Qt::DecorationRole) {
            const int image =
                col == 0 ? row.ImageIndex : row.SubItemImages[static_cast<std::size_t>(col - 1)];
            if (image < 0 || image > 3) return {};
            return BuiltinPicture(
                static_cast<tBuiltinPicture>(static_cast<int>(tBuiltinPicture::LedSilver) + image));
        }
        return {};
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        static const std::array<const char*, 6> names = {"Teilnehmer", "Typ",    "Seriennummer",
                                                         "Messwert",   "Status", "Code"};
        if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
            section > 5) {
            return {};
        }
        return QString(names[static_cast<std::size_t>(section)]);
    }

    void Reset() {
        beginResetModel();
        endResetModel();
    }
    void RowChanged(int row) { emit dataChanged(index(row, 0), index(row, 5)); }

private:
    tDeviceListModel& rows_;
};

namespace {

constexpr int kSearchTickMs = 200;
constexpr std::int64_t kBlinkMs = 1000;
const QColor kPanelSelected = ColorFromBgr(0xC0C0C0);
const QColor kPanelUnselected = ColorFromBgr(0xFFFFFF);

QLabel* HeaderLabel(QWidget* parent, const char* name, const QString& text, QRect bounds) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setGeometry(bounds);
    return label;
}

QAction* Item(QMenu* menu, const char* name, const QString& caption) {
    QAction* action = menu->addAction(caption);
    action->setObjectName(name);
    return action;
}

QAction* Separator(QMenu* menu, const char* name) {
    QAction* action = menu->addSeparator();
    action->setObjectName(name);
    return action;
}

}  // namespace

TFrmMainBig::TFrmMainBig(TD& d, tMainBigDialogs dialogs, QWidget* statusWindow, QWidget* parent)
    : QMainWindow(parent),
      d_(d),
      dialogs_(std::move(dialogs)),
      statusWindow_(statusWindow),
      size_(std::make_unique<TSize>(this)) {
    setObjectName("FrmMainBig");
    setWindowTitle("Tavrix");
    setWindowFlags(Qt::Window | Qt::WindowSystemMenuHint | Qt::WindowMaximizeButtonHint |
                   Qt::WindowCloseButtonHint | Qt::WindowTitleHint);
    resize(872, 383);

    auto* central = new QWidget(this);
    central->setObjectName("Central");
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    setCentralWidget(central);
    CreateHeader(central);
    layout->addWidget(PnlHeaders);

    ScrollBox = new QScrollArea(central);
    ScrollBox->setObjectName("ScrollBox");
    ScrollBox->setFrameShape(QFrame::NoFrame);
    ScrollBox->setWidgetResizable(false);
    // The arrow keys select panels; the box must not scroll on them as well.
    ScrollBox->setFocusPolicy(Qt::NoFocus);
    panelHost_ = new QWidget;
    panelHost_->setObjectName("PanelHost");
    panelHost_->resize(729, 0);
    ScrollBox->setWidget(panelHost_);
    ScrollBox->verticalScrollBar()->setSingleStep(71);
    layout->addWidget(ScrollBox, 1);

    PnlList = new QWidget(central);
    PnlList->setObjectName("PnlList");
    PnlList->hide();
    ListView = new QTreeView(PnlList);
    ListView->setObjectName("ListView");
    ListView->setRootIsDecorated(false);
    ListView->setSelectionBehavior(QAbstractItemView::SelectRows);
    ListView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    rowsModel_ = new tDeviceRowsModel(d_.DeviceRows, this);
    ListView->setModel(rowsModel_);
    const std::array<int, 5> widths = {100, 100, 200, 100, 250};
    for (std::size_t c = 0; c < widths.size(); ++c) {
        ListView->header()->resizeSection(static_cast<int>(c), widths[c]);
    }
    d_.DeviceRows.OnChanged = [this] { rowsModel_->Reset(); };

    PnlViewDevice = tPnlViewDevice::CreateTemplate(central);

    TimerSrchDevices = new QTimer(this);
    TimerSrchDevices->setObjectName("TimerSrchDevices");
    TimerSrchDevices->setInterval(kSearchTickMs);
    connect(TimerSrchDevices, &QTimer::timeout, this, &TFrmMainBig::TimerSrchDevicesTimer);

    CreateMenu();

    // FormCreate.
    for (QAction* hidden :
         {MitWebOskel, MitLoadConfig, MitSaveConfig, MitSaveConfigAs, MitEinstStrich1}) {
        hidden->setVisible(false);
    }
    BtnExcelStart->setVisible(SwitchD);
    // The engine's captions are translated by whoever made D (the status window).
    TranslateForm(this);
    qApp->installEventFilter(this);
    pictures_.Load(d_.UsbDescrs, d_.Rs232Descrs);
    pictures_.LoadSwitchPictures();
}

TFrmMainBig::~TFrmMainBig() {
    qApp->removeEventFilter(this);
    d_.DeviceRows.OnChanged = {};
    // A window never shown has no placement of its own to keep.
    if (shownOnce_) StorePlacement();
    while (!FPanels.empty()) {
        delete FPanels.back();
        FPanels.pop_back();
    }
}

void TFrmMainBig::CreateHeader(QWidget* central) {
    PnlHeaders = new TPanel(central);
    PnlHeaders->setObjectName("PnlHeaders");
    PnlHeaders->setFixedHeight(40);
    PnlHeaders->SetBevels(tBevel::None, tBevel::Lowered);
    PnlHeaders->setFont(PixelFont(13, true));

    LedUSB = new TDXLed(PnlHeaders);
    LedUSB->setObjectName("LedUSB");
    LedUSB->setGeometry(10, 11, 16, 16);
    LedUSB->SetColorActive(Qt::yellow);
    LblUSB = HeaderLabel(PnlHeaders, "LblUSB", "0", {30, 9, 30, 20});
    LblUSB->setFont(PixelFont(16, true));
    LblUSB->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    LblUSBTxt1 = HeaderLabel(PnlHeaders, "LblUSBTxt1", "~USB-Gerät", {66, 11, 96, 16});
    LblUSBTxtX = HeaderLabel(PnlHeaders, "LblUSBTxtX", "~USB-Geräte", {66, 11, 96, 16});
    LblUSBTxt1->hide();
    auto* bevel = new QFrame(PnlHeaders);
    bevel->setObjectName("Bevel1");
    bevel->setFrameShape(QFrame::VLine);
    bevel->setFrameShadow(QFrame::Raised);
    bevel->setGeometry(164, 3, 3, 34);

    // Over the panel columns: name, type and connection; value and status; request and target.
    Label3 = HeaderLabel(PnlHeaders, "Label3", "~Name", {172, 3, 150, 16});
    Label4 = HeaderLabel(PnlHeaders, "Label4", "~Typ, Anschluss", {172, 20, 150, 16});
    Label6 = HeaderLabel(PnlHeaders, "Label6", "~Messwert", {352, 3, 121, 16});
    Label6->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
    Label5 = HeaderLabel(PnlHeaders, "Label5", "~Status", {330, 20, 150, 16});
    Label1 = HeaderLabel(PnlHeaders, "Label1", "~Anforderung", {490, 3, 230, 16});
    Label7 = HeaderLabel(PnlHeaders, "Label7", "~Ziel", {490, 20, 230, 16});

    BtnExcelStart = new QPushButton("Excel-Test", PnlHeaders);
    BtnExcelStart->setObjectName("BtnExcelStart");
    BtnExcelStart->setGeometry(750, 8, 100, 24);
    BtnExcelStart->setFont(PixelFont(12, false));
    BtnExcelStart->setFocusPolicy(Qt::NoFocus);
    connect(BtnExcelStart, &QPushButton::clicked, this, &TFrmMainBig::BtnExcelStartClick);
}

void TFrmMainBig::CreateMenu() {
    QMenuBar* bar = menuBar();
    bar->setObjectName("MainMenu");
    auto submenu = [&](const char* name, const QString& caption) {
        QMenu* menu = bar->addMenu(caption);
        menu->setObjectName(name);
        menu->menuAction()->setObjectName(name);
        return menu;
    };

    MItProgramm = submenu("MItProgramm", "~&Programm");
    MItFensterschliessen = Item(MItProgramm, "MItFensterschliessen", "~&Fenster schliessen");
    MitBeenden = Item(MItProgramm, "MitBeenden", "~&Beenden");

    MitTeilnehmer = submenu("MitTeilnehmer", "~&Messgeräte");
    MItResetZyklus = Item(MitTeilnehmer, "MItResetZyklus", "~Reset &Messzyklus");
    Separator(MitTeilnehmer, "N3");
    MItVoriger = Item(MitTeilnehmer, "MItVoriger", "~&Voriger");
    MItNaechster = Item(MitTeilnehmer, "MItNaechster", "~&Nächster");
    MItEditieren = Item(MitTeilnehmer, "MItEditieren", "~&Editieren");
    MItAnforderung = Item(MitTeilnehmer, "MItAnforderung", "~&Wert anfordern");
    Separator(MitTeilnehmer, "N5");
    MItRefresh = Item(MitTeilnehmer, "MItRefresh", "~&Aktualisieren");

    MItEinstellungen = submenu("MItEinstellungen", "~&Einstellungen");
    MitSprache_ = Item(MItEinstellungen, "MitSprache_", "~&Sprache");
    Separator(MItEinstellungen, "N1");
    MitCom = Item(MItEinstellungen, "MitCom", "~&Com");
    MitDesktopShortcuts =
        Item(MItEinstellungen, "MitDesktopShortcuts", "~&Tastenkürzel des Desktops");
    Separator(MItEinstellungen, "N4");
    MItDatei = Item(MItEinstellungen, "MItDatei", "~&Datei");
    MitEinstStrich1 = Separator(MItEinstellungen, "MitEinstStrich1");
    MitLoadConfig = Item(MItEinstellungen, "MitLoadConfig", "~&Laden");
    MitSaveConfig = Item(MItEinstellungen, "MitSaveConfig", "~&Speichern");
    MitSaveConfigAs = Item(MItEinstellungen, "MitSaveConfigAs", "~Speichern &als");

    MItQuest = submenu("MItQuest", "?");
    MitInfo = Item(MItQuest, "MitInfo", "~&Info");
    MitWebOskel = Item(MItQuest, "MitWebOskel", "~&Webzugang Oskel");

    connect(MItFensterschliessen, &QAction::triggered, this,
            &TFrmMainBig::MItFensterschliessenClick);
    connect(MitBeenden, &QAction::triggered, this, &TFrmMainBig::MitBeendenClick);
    connect(MItResetZyklus, &QAction::triggered, this, &TFrmMainBig::MItResetZyklusClick);
    connect(MItVoriger, &QAction::triggered, this, &TFrmMainBig::MItVorigerClick);
    connect(MItNaechster, &QAction::triggered, this, &TFrmMainBig::MItNaechsterClick);
    connect(MItEditieren, &QAction::triggered, this, &TFrmMainBig::BtnEdtitDeviceClick);
    connect(MItAnforderung, &QAction::triggered, this, &TFrmMainBig::MItAnforderungClick);
    connect(MItRefresh, &QAction::triggered, this, &TFrmMainBig::BtnRefreshClick);
    connect(MitSprache_, &QAction::triggered, this, &TFrmMainBig::MitSpracheClick);
    connect(MitCom, &QAction::triggered, this, &TFrmMainBig::MitComClick);
    connect(MitDesktopShortcuts, &QAction::triggered, this, [this] {
        tModalDialogGuard guard;
        dialogs_.DesktopShortcuts(this);
    });
    MitDesktopShortcuts->setVisible(static_cast<bool>(dialogs_.DesktopShortcuts));
    connect(MItDatei, &QAction::triggered, this, &TFrmMainBig::MItDateiClick);
    connect(MitInfo, &QAction::triggered, this, &TFrmMainBig::MitInfoClick);
}

// --- device list and panels ---

void TFrmMainBig::BuildDeviceList() {
    d_.SrchDevices(d_.DeviceRows, true, true);
    ShowDeviceRows();
}

void TFrmMainBig::ShowDeviceRows() {
    LblUSB->setText(QString::number(d_.UsbFound));
    LblUSBTxt1->setVisible(d_.UsbFound == 1);
    LblUSBTxtX->setVisible(d_.UsbFound != 1);

    const tDeviceListModel& rows = d_.DeviceRows;
    for (std::size_t i = 0; i < rows.Count(); ++i) {
        const tDeviceListRow& row = rows.Row(i);
        if (i >= FPanels.size()) CreateDevicePanel();
        tPnlViewDevice& panel = *FPanels[i];
        panel.DeviceIndex = row.DevIdx();
        ShowDevice(static_cast<int>(i));
        if (row.ImageIndex < 0) {
            panel.LedState->hide();
        } else {
            panel.LedState->show();
            panel.LedState->SetColorActive(StateColor(row.ImageIndex));
            panel.LedState->SetValue(true);
        }
    }
    for (tPnlViewDevice* panel : FPanels) panel->show();
    SelectPanel(FCurrentPanel);
}

void TFrmMainBig::ClearDeviceList(bool freePanels) {
    d_.ResetDevices();
    if (!freePanels) return;
    d_.DeviceRows.Clear();
    rowsModel_->Reset();
    // Later: the click that led here may still be on its way through a panel.
    while (!FPanels.empty()) {
        FPanels.back()->hide();
        FPanels.back()->deleteLater();
        FPanels.pop_back();
    }
    panelHost_->resize(PnlViewDevice->width(), 0);
}

void TFrmMainBig::CreateDevicePanel() {
    const int index = static_cast<int>(FPanels.size());
    auto* panel = new tPnlViewDevice(panelHost_, *PnlViewDevice, index);
    connect(panel, &tPnlViewDevice::Selected, this, &TFrmMainBig::SelectPanel);
    connect(panel, &tPnlViewDevice::EditRequested, this, [this] { BtnEdtitDeviceClick(); });
    connect(panel, &tPnlViewDevice::TimerClicked, this, &TFrmMainBig::SpBTimerClick);
    FPanels.push_back(panel);
    panelHost_->resize(PnlViewDevice->width(), (index + 1) * PnlViewDevice->height());
}

tDevice* TFrmMainBig::DeviceOf(int panelIndex) const {
    if (panelIndex < 0 || static_cast<std::size_t>(panelIndex) >= FPanels.size()) return nullptr;
    const int devIdx = FPanels[static_cast<std::size_t>(panelIndex)]->DeviceIndex;
    if (devIdx < 0 || static_cast<std::size_t>(devIdx) >= d_.Devices.size()) return nullptr;
    return d_.Devices[static_cast<std::size_t>(devIdx)].get();
}

tDevice* TFrmMainBig::CurrentDevice(int devIdx) const {
    if (devIdx < 0 || static_cast<std::size_t>(devIdx) >= d_.Devices.size()) return nullptr;
    return d_.Devices[static_cast<std::size_t>(devIdx)].get();
}

tPnlViewDevice* TFrmMainBig::PanelOfDevice(int devIdx) const {
    const tDevice* dev = CurrentDevice(devIdx);
    if (dev == nullptr || dev->ItemIdx < 0 ||
        static_cast<std::size_t>(dev->ItemIdx) >= FPanels.size()) {
        return nullptr;
    }
    tPnlViewDevice* panel = FPanels[static_cast<std::size_t>(dev->ItemIdx)];
    return panel->DeviceIndex == devIdx ? panel : nullptr;
}

tDeviceListRow* TFrmMainBig::RowOfDevice(int devIdx) const {
    const tDevice* dev = CurrentDevice(devIdx);
    if (dev == nullptr || dev->ItemIdx < 0 ||
        static_cast<std::size_t>(dev->ItemIdx) >= d_.DeviceRows.Count()) {
        return nullptr;
    }
    tDeviceListRow& row = d_.DeviceRows.Row(static_cast<std::size_t>(dev->ItemIdx));
    return row.DevIdx() == devIdx ? &row : nullptr;
}

void TFrmMainBig::ShowDevice(int panelIndex) {
    if (panelIndex < 0 || static_cast<std::size_t>(panelIndex) >= FPanels.size()) return;
    tPnlViewDevice& p = *FPanels[static_cast<std::size_t>(panelIndex)];
    const tDevice* dev = DeviceOf(panelIndex);
    if (dev == nullptr) {
        // The row of a device that is gone keeps the rest of what it showed last.
        const auto row = static_cast<std::size_t>(panelIndex);
        p.LblDevice->setText(row < d_.DeviceRows.Count() ? Q(d_.DeviceRows.Row(row).Caption)
                                                         : QString("USB ?"));
        return;
    }
    const tDeviceDescr* descr = dev->Descr;
    p.LblDevice->setText(Q(dev->GetPortName()));
    p.LblName->setText(Q(dev->DeviceName));
    p.LblTyp->setText(Q(dev->IsSwitch() ? d_.Captions.SchalterCaption : dev->DeviceType));
    p.LblIntf->setText(descr ? Q(descr->Caption) : QString());
    p.ImgIntfType->SetPicture(BuiltinPicture(
        dev->Connection == ConnectionUsb ? tBuiltinPicture::UsbPlug : tBuiltinPicture::Rs232Plug));
    if (dev->IsInstrument()) {
        p.ImgDeviceType->SetPicture(pictures_.Small(pictures_.FindImageIndex(dev->DeviceType)));
        ShowRequestInfo(panelIndex);
        ShowDest(p, *dev);
        p.LblDest->show();
    } else {
        p.LblBetaetigung->hide();
        if (dev->IsSwitch()) {
            p.ImgDeviceType->SetPicture(pictures_.SwitchSmall());
            p.LblAnforder->setText(Q(d_.Captions.BetaetigungCaption() + ": " +
                                     std::to_string(dev->SchalterCycleIdx) + "/" +
                                     std::to_string(dev->SchalterCycleCount)));
            p.LblAnforder->show();
        } else {
            p.ImgDeviceType->SetPicture(pictures_.Small(pictures_.FindImageIndex(dev->DeviceType)));
            p.LblAnforder->hide();
        }
        for (QWidget* w : {static_cast<QWidget*>(p.LblDest), static_cast<QWidget*>(p.LblTimer),
                           static_cast<QWidget*>(p.LblTime), static_cast<QWidget*>(p.SpBTimer)}) {
            w->hide();
        }
    }
    p.ImgDeviceType->update();
    p.update();
}

void TFrmMainBig::ShowDest(tPnlViewDevice& panel, const tDevice& dev) {
    // A target read from a settings file may hold any number; unknown ones show "-".
    const auto& names = d_.Captions.MwZielApplNames;
    const std::uint8_t appl =
        dev.MwZielAppl <= MwZielTxt ? dev.MwZielAppl : static_cast<std::uint8_t>(MwZielNone);
    std::string text = names[appl];
    if (appl == MwZielXls) {
        std::string file;
        if (d_.XlsGlobSlct && d_.XlsGlobVorlageSlct) {
            file = d_.XlsGlobVorlage;
        } else if (d_.XlsGlobSlct) {
            file = d_.XlsGlobFile;
        } else if (dev.MwXlsZielVorlageSlct) {
            file = dev.MwXlsZielVorlage;
        } else {
            file = dev.MwXlsZielFile;
        }
        text += ": " + FileNameOfPath(file) + "/" + dev.MwXlsZielTable + "/" +
                std::to_string(dev.MwXlsZielCol);
    } else if (appl == MwZielTxt) {
        text += ": " + FileNameOfPath(dev.MwTxtZielFile);
    }
    panel.LblDest->setText(Q(text));
}

void TFrmMainBig::ShowRequestInfo(int panelIndex) {
    const tDevice* dev = DeviceOf(panelIndex);
    if (dev == nullptr || !dev->IsInstrument()) return;
    tPnlViewDevice& p = *FPanels[static_cast<std::size_t>(panelIndex)];
    for (QWidget* w : {static_cast<QWidget*>(p.LblTimer), static_cast<QWidget*>(p.LblTime),
                       static_cast<QWidget*>(p.SpBTimer), static_cast<QWidget*>(p.LblAnforder),
                       static_cast<QWidget*>(p.LblBetaetigung)}) {
        w->hide();
    }
    // A request kind read from a settings file may hold any number: unknown ones show nothing.
    const auto& names = d_.Captions.AnforderTypeNames;
    const std::uint8_t stored = dev->AnforderType;
    const std::uint8_t type = stored < names.size() ? stored : std::uint8_t{AnforderNone};
    std::string text = names[type];
    switch (type) {
        case AnforderKey:
            p.LblAnforder->setText(Q(text + ": " + dev->AnforderTasteKeyb));
            p.LblAnforder->show();
            break;
        case AnforderSwitch: {
            const std::string name = d_.DeviceNameBySerNr(dev->AnforderSerNrTVI);
            if (!name.empty()) {
                text += ": " + name;
                if (dev->AnforderCycle) {
                    p.LblBetaetigung->setText(Q(d_.Captions.BetaetigungCaption() + ": " +
                                                std::to_string(dev->AnforderCycleIdx)));
                    p.LblBetaetigung->show();
                }
            }
            p.LblAnforder->setText(Q(text));
            p.LblAnforder->show();
            break;
        }
        case AnforderTimer: {
            const bool running = dev->TimerRunning;
            p.SpBTimer->show();
            p.LblTimer->show();
            p.SpBTimer->SetDown(running);
            p.LblTime->setText(Q(TD::MsToTimeStr(running ? dev->NextTimerTick - d_.Now()
                                                         : std::int64_t{dev->TimerPeriodMs()})));
            p.LblTime->show();
            break;
        }
        default:
            break;
    }
}

void TFrmMainBig::ShowDeviceOnAllPanels() {
    for (std::size_t i = 0; i < FPanels.size(); ++i) {
        if (DeviceOf(static_cast<int>(i)) != nullptr) ShowDevice(static_cast<int>(i));
    }
}

void TFrmMainBig::SelectPanel(int index) {
    const int count = static_cast<int>(FPanels.size());
    if (count == 0) {
        FCurrentPanel = 0;
        MItEditieren->setEnabled(false);
        return;
    }
    index = std::clamp(index, 0, count - 1);
    FCurrentPanel = std::clamp(FCurrentPanel, 0, count - 1);
    tPnlViewDevice* old = FPanels[static_cast<std::size_t>(FCurrentPanel)];
    old->SetColor(kPanelUnselected);
    old->SetBevels(old->BevelInner(), tBevel::Raised, old->BevelWidth());
    tPnlViewDevice* now = FPanels[static_cast<std::size_t>(index)];
    now->SetColor(kPanelSelected);
    now->SetBevels(now->BevelInner(), tBevel::Lowered, now->BevelWidth());
    FCurrentPanel = index;
    MItEditieren->setEnabled(DeviceOf(index) != nullptr);

    QScrollBar* bar = ScrollBox->verticalScrollBar();
    const int top = now->y() - bar->value();
    const int bottom = top + now->height();
    const int client = ScrollBox->viewport()->height();
    if (bottom > client) {
        bar->setValue(bar->value() + bottom - client);
    } else if (top < 0) {
        bar->setValue(bar->value() + top);
    }
}

void TFrmMainBig::RowChanged(int row) {
    rowsModel_->RowChanged(row);
}

// --- engine notifications ---

void TFrmMainBig::ShowValue(int devIdx) {
    const tDevice* dev = CurrentDevice(devIdx);
    if (dev == nullptr) return;
    if (tPnlViewDevice* panel = PanelOfDevice(devIdx)) {
        if (panel->PnlMw->Caption() != Q(dev->MwText)) {
            panel->PnlMw->SetCaption(Q(dev->MwText));
            panel->repaint();
        }
        if (dev->IsSwitch()) {
            panel->LblAnforder->setText(Q(d_.Captions.BetaetigungCaption() + ": " +
                                          std::to_string(dev->SchalterCycleIdx) + "/" +
                                          std::to_string(dev->SchalterCycleCount)));
        }
    }
    if (tDeviceListRow* row = RowOfDevice(devIdx)) {
        const std::string first = dev->GetFirstValue();
        if (row->SubItems[SubItemValue] != first) {
            row->SubItems[SubItemValue] = first;
            RowChanged(dev->ItemIdx);
        }
    }
}

void TFrmMainBig::ShowDeviceError(int devIdx, bool isError) {
    const tDevice* dev = CurrentDevice(devIdx);
    if (dev == nullptr) return;
    const std::string status = isError ? dev->FtStatusText.get() : std::string("OK");
    if (tPnlViewDevice* panel = PanelOfDevice(devIdx)) {
        if (isError) panel->PnlMw->SetCaption(QString());
        panel->LedErrState->SetColorActive(isError ? Qt::red : Qt::green);
        panel->LedErrState->SetValue(true);
        panel->LblState->setText(Q(status));
    }
    if (tDeviceListRow* row = RowOfDevice(devIdx)) {
        if (isError) {
            row->SubItems[SubItemValue].clear();
            row->SubItemImages[SubItemState] = 3;
            if (dev->Connection == ConnectionUsb) row->SubItems[SubItemState] = status;
        } else {
            row->SubItems[SubItemState] = status;
            row->SubItemImages[SubItemState] = 2;
        }
        RowChanged(dev->ItemIdx);
    }
}

void TFrmMainBig::ShowDeviceState(int devIdx, int state) {
    if (tPnlViewDevice* panel = PanelOfDevice(devIdx)) {
        panel->LedState->show();
        panel->LedState->SetColorActive(StateColor(state));
        panel->LedState->SetValue(true);
    }
    if (tDeviceListRow* row = RowOfDevice(devIdx)) {
        row->ImageIndex = state;
        RowChanged(d_.Devices[static_cast<std::size_t>(devIdx)]->ItemIdx);
    }
}

void TFrmMainBig::ShowTimerCountdown(int devIdx) {
    tPnlViewDevice* panel = PanelOfDevice(devIdx);
    if (panel == nullptr) return;
    const tDevice& dev = *d_.Devices[static_cast<std::size_t>(devIdx)];
    panel->LblTime->setText(Q(TD::MsToTimeStr(dev.NextTimerTick - d_.Now())));
}

// --- commands ---

void TFrmMainBig::MItVorigerClick() {
    if (FPanels.empty()) return;
    SelectPanel(FCurrentPanel > 0 ? FCurrentPanel - 1 : static_cast<int>(FPanels.size()) - 1);
}

void TFrmMainBig::MItNaechsterClick() {
    if (FPanels.empty()) return;
    SelectPanel(FCurrentPanel + 1 < static_cast<int>(FPanels.size()) ? FCurrentPanel + 1 : 0);
}

void TFrmMainBig::BtnEdtitDeviceClick() {
    tDevice* dev = DeviceOf(FCurrentPanel);
    if (dev == nullptr || !dialogs_.EditDevice) return;
    // The search waits until the dialog and the steps after it are done with the record.
    tModalDialogGuard guard;
    const int panelIndex = FCurrentPanel;
    tPnlViewDevice& panel = *FPanels[static_cast<std::size_t>(panelIndex)];
    const int devIdx = panel.DeviceIndex;
    if (dev->AnforderType == AnforderTimer && dev->TimerRunning) {
        panel.SpBTimer->SetDown(false);
        SpBTimerClick(panelIndex);
    }

    const tEditDeviceResult result = dialogs_.EditDevice(this, *dev, pictures_);
    // Cancel changed nothing. On OK the dialog has stored the start folders itself (and
    // shown a failure of that).
    if (result.Ok) d_.ApplyDeviceEdit(devIdx, result.NewRs232DescrIdx);
    ShowDevice(panelIndex);
    // Gauges show the name of the switch that requests them.
    if (result.Ok && dev->Connection == ConnectionUsb && dev->IsSwitch()) {
        for (std::size_t i = 0; i < FPanels.size(); ++i) ShowRequestInfo(static_cast<int>(i));
    }
}

void TFrmMainBig::MItAnforderungClick() {
    if (DeviceOf(FCurrentPanel) == nullptr) return;
    d_.RequestOne(FPanels[static_cast<std::size_t>(FCurrentPanel)]->DeviceIndex);
}

void TFrmMainBig::SpBTimerClick(int panelIndex) {
    const tDevice* dev = DeviceOf(panelIndex);
    if (dev == nullptr) return;
    tPnlViewDevice& panel = *FPanels[static_cast<std::size_t>(panelIndex)];
    if (panel.SpBTimer->Down()) {
        d_.TimerButtonDown(panel.DeviceIndex);
    } else {
        d_.TimerButtonUp(panel.DeviceIndex);
    }
    panel.LblTime->setText(Q(TD::MsToTimeStr(dev->TimerPeriodMs())));
}

void TFrmMainBig::MItResetZyklusClick() {
    d_.ResetCycles();
    ShowDeviceOnAllPanels();
}

void TFrmMainBig::BtnRefreshClick() {
    ClearDeviceList(true);
    BuildDeviceList();
    FKnownUsbCount = FtDeviceCount;
    d_.OpenDevices(true);
}

void TFrmMainBig::MitSpracheClick() {
    if (dialogs_.ChooseLanguage) {
        tModalDialogGuard guard;
        dialogs_.ChooseLanguage(this);
    }
    LoadLangTexts(d_);
    ShowDeviceOnAllPanels();
}

void TFrmMainBig::MitComClick() {
    if (!dialogs_.EditComPorts) return;
    const bool com1 = d_.ShowCom1;
    const bool com2 = d_.ShowCom2;
    const auto devices = d_.ComPortDevices;
    {
        tModalDialogGuard guard;
        dialogs_.EditComPorts(this);
    }
    if (com1 != d_.ShowCom1 || com2 != d_.ShowCom2 || devices != d_.ComPortDevices) {
        BtnRefreshClick();
    }
}

void TFrmMainBig::MItDateiClick() {
    if (!dialogs_.EditExcelGlobal) return;
    bool confirmed = false;
    {
        tModalDialogGuard guard;
        confirmed = dialogs_.EditExcelGlobal(this);
    }
    if (!confirmed) return;
    // The spreadsheet globals are part of the configuration.
    d_.SettingsEdited = true;
    ShowDeviceOnAllPanels();
}

void TFrmMainBig::MitInfoClick() {
    if (!dialogs_.ShowInfo) return;
    tModalDialogGuard guard;
    dialogs_.ShowInfo(this);
}

void TFrmMainBig::MitBeendenClick() {
    if (statusWindow_) statusWindow_->close();
}

void TFrmMainBig::MItFensterschliessenClick() {
    close();
}

void TFrmMainBig::BtnExcelStartClick() {
    if (DeviceOf(FCurrentPanel) == nullptr) return;
    try {
        d_.XlsWriteTestValues(FPanels[static_cast<std::size_t>(FCurrentPanel)]->DeviceIndex);
    } catch (const std::exception& e) {
        tModalDialogGuard guard;
        UserDialogs().ShowMessage(this, QString::fromStdString(e.what()));
    }
}

void TFrmMainBig::SetSearchTimerEnabled(bool enabled) {
    if (enabled) {
        TimerSrchDevices->start();
    } else {
        TimerSrchDevices->stop();
    }
}

void TFrmMainBig::TimerSrchDevicesTimer() {
    if (inSearchTick_) return;  // a count error box may run a loop inside the tick
    const std::int64_t now = d_.Now();
    if (now - FLastBlink >= kBlinkMs) {
        LedUSB->SetValue(!LedUSB->Value());
        FLastBlink = now;
    }
    // A dialog may be editing a record the search would free: wait; the first tick
    // after it closes sees the changed count.
    if (ModalDialogOpen()) return;
    inSearchTick_ = true;
    GetFTDeviceCount();
    if (FtDeviceCount != FKnownUsbCount) {
        TimerSrchDevices->stop();
        // Values already queued are handled before their records go.
        if (d_.ProcessPendingMessages) d_.ProcessPendingMessages();
        d_.SrchOnUsbChange(FKnownUsbCount, [this] { ShowDeviceRows(); });
        TimerSrchDevices->start();
    }
    inSearchTick_ = false;
}

// --- keys ---

bool TFrmMainBig::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress || !watched->isWidgetType()) {
        return QMainWindow::eventFilter(watched, event);
    }
    // A key press goes to the focus widget (or the active window) and travels up
    // through the parents that ignore it, passing this filter at every one: it is
    // handled at its first stop only.
    auto* widget = static_cast<QWidget*>(watched);
    QWidget* first = QWidget::keyboardGrabber();
    if (first == nullptr) {
        if (QWidget* popup = QApplication::activePopupWidget()) {
            first = popup->focusWidget() ? popup->focusWidget() : popup;
        }
    }
    if (first == nullptr) first = QApplication::focusWidget();
    if (first == nullptr) first = QApplication::activeWindow();
    const bool firstStop = widget == first || (widget->isWindow() &&
                                               (first == nullptr || !widget->isAncestorOf(first)));
    if (firstStop) HandleKey(*static_cast<QKeyEvent*>(event));
    return false;
}

void TFrmMainBig::HandleKey(const QKeyEvent& key) {
    const std::uint16_t vk = VirtualKeyFromQt(key.key());
    const bool inMenu = QApplication::activePopupWidget() != nullptr;
    const bool active = isActiveWindow() && !inMenu;
    if (vk == VkUp && active) {
        MItVorigerClick();
    } else if (vk == VkDown && active) {
        MItNaechsterClick();
    }
    // Without the keyboard hook a request key works while one of our windows has the
    // focus; a held key asks once.
    if (!d_.HookActive && vk != 0 && !key.isAutoRepeat()) d_.KeyRequest(vk);
    if (vk == VkReturn && !inMenu && !key.isAutoRepeat()) {
        if (isActiveWindow()) BtnEdtitDeviceClick();
        if (statusWindow_ && statusWindow_->isActiveWindow()) {
            // The status window's double click, which also notes that this window was shown.
            const QPointF inside(1, 1);
            QMouseEvent doubleClick(QEvent::MouseButtonDblClick, inside,
                                    statusWindow_->mapToGlobal(inside), Qt::LeftButton,
                                    Qt::LeftButton, Qt::NoModifier);
            QCoreApplication::sendEvent(statusWindow_, &doubleClick);
            ShowMainWindow();
        }
    }
}

// --- showing and closing ---

void TFrmMainBig::ShowMainWindow() {
    if (isMinimized()) showNormal();
    show();
    raise();
    activateWindow();
}

void TFrmMainBig::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (event->spontaneous()) return;
    const QString owner = statusWindow_ ? statusWindow_->windowTitle() : QString("Tavrix");
    setWindowTitle(owner + "   (" + Q(FileNameOfPath(d_.TvcFileName)) + ")");
    size_->RestoreFromProgIni();
    ScrollBox->verticalScrollBar()->setSingleStep(PnlViewDevice->height());
    shownOnce_ = true;
}

void TFrmMainBig::closeEvent(QCloseEvent* event) {
    if (statusWindow_) {
        if (!(statusWindow_->windowFlags() & Qt::WindowStaysOnTopHint)) {
            statusWindow_->setWindowFlag(Qt::WindowStaysOnTopHint, true);
            statusWindow_->show();
        }
        statusWindow_->raise();
    }
    StorePlacement();
    event->accept();
}

void TFrmMainBig::StorePlacement() {
    size_->StoreInProgIni();
}
