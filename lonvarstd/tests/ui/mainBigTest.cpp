// The main window on the offscreen platform, driving the real engine on the gauge
// bench. The test plays the status window: it takes the engine's messages on the
// main thread, in order, and hands them to the window's display operations.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "bench/bench_ports.h"
#include "engine/dataModule.h"
#include "gauge_bench.h"
#include "platform/spreadsheet/fake_office.h"
#include "support/multi_lang.h"
#include "support/new_ini_file.h"
#include "tests/engine/engineTestSupport.h"
#include "ui/DXLed.h"
#include "ui/Frmsize.h"
#include "ui/Image.h"
#include "ui/MainBig.h"
#include "ui/MultiLang.h"
#include "ui/PnlViewDevice.h"
#include "ui/SpeedButton.h"
#include "ui/UserDialogs.h"
#include "ui_test_app.h"

namespace {

using namespace std::chrono_literals;
using tavrix::gaugebench::GaugeBench;
using tavrix::spreadsheet::FakeBook;
using tavrix::spreadsheet::FakeOffice;

// Generous: the machine may be loaded, and sanitizers slow everything down.
bool Eventually(const std::function<bool()>& condition) {
    return WaitUntil(condition, 20s);
}

// Lets the event loop run for a while: only where a test shows that nothing happens.
void RunEventsFor(std::chrono::milliseconds span) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < span.count()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        std::this_thread::sleep_for(2ms);
    }
}

// The status window's part: the engine's messages taken on the main thread in
// their order and relayed. (Polled, so that no worker thread touches Qt.)
class StatusStandIn : public tavrix::MessageSink {
public:
    StatusStandIn() {
        poll_.setInterval(1);
        QObject::connect(&poll_, &QTimer::timeout, [this] { DeliverPending(); });
        poll_.start();
    }
    void post(std::uint32_t msg, std::int64_t wParam, std::int64_t lParam) override {
        Record.post(msg, wParam, lParam);
    }
    void DeliverPending() {
        const auto all = Record.messages();
        while (delivered_ < all.size()) Deliver(all[delivered_++]);
    }

    TD* Data = nullptr;
    TFrmMainBig* Window = nullptr;
    tavrix::RecordingMessageSink Record;

private:
    void Deliver(const tavrix::EngineMessage& m) {
        if (Window == nullptr) return;
        const int index = static_cast<int>(m.lParam);
        switch (m.msg) {
            case MsgValueQueued:
                Data->HandleValueMessage(index);
                break;
            case MsgDeviceError:
                Window->ShowDeviceError(index, m.wParam != 0);
                break;
            case MsgDeviceState:
                Window->ShowDeviceState(index, static_cast<int>(m.wParam));
                break;
            case MsgTimerTick:
                Window->ShowTimerCountdown(index);
                break;
            default:
                break;
        }
    }
    QTimer poll_;
    std::size_t delivered_ = 0;
};

class AnsweringDialogs : public tUserDialogs {
public:
    void ShowMessage(QWidget*, const QString& text) override { Messages.push_back(text); }
    bool Confirm(QWidget*, const QString&) override { return true; }
    QString ChooseFile(QWidget*, const tFileDialogRequest&) override { return {}; }
    std::vector<QString> Messages;
};

// Counts the double clicks that open the main window.
class TStatusWindowStandIn : public QWidget {
public:
    int DoubleClicks = 0;

protected:
    void mouseDoubleClickEvent(QMouseEvent*) override { ++DoubleClicks; }
};

tMainBigDialogs WithEdit(std::function<tEditDeviceResult(QWidget*, tDevice&)> edit) {
    tMainBigDialogs dialogs;
    dialogs.EditDevice = [edit = std::move(edit)](QWidget* parent, tDevice& dev,
                                                  const tDevicePictures&) {
        return edit(parent, dev);
    };
    return dialogs;
}

tEditDeviceResult Edited(bool ok, int newRs232DescrIdx = -1) {
    tEditDeviceResult result;
    result.Ok = ok;
    result.NewRs232DescrIdx = newRs232DescrIdx;
    return result;
}

QString Text(const QLabel* label) {
    return label->text();
}

class MainBigTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(bench.running()) << bench.error();
        setenv("TAVRIX_BENCH", bench.socketPath().c_str(), 1);
        tavrix::test::KeepComPortsOffTheMachine(prog);
        d.PortLister = &tavrix::bench::listBenchPorts;
        d.SetXlsOffice(&office);
        status.Data = &d;
        d.SetMessageSink(&status);
        d.OnShowValue = [this](int index) {
            if (window) window->ShowValue(index);
        };
        d.ProcessPendingMessages = [this] { status.DeliverPending(); };
        SetUserDialogs(&answers);
    }
    void TearDown() override {
        if (window) window->ClearDeviceList(true);  // as the status window does at the end
        status.Window = nullptr;
        window.reset();
        d.ResetDevices();
        d.SetMessageSink(nullptr);
        SetUserDialogs(nullptr);
        SwitchD = false;
        unsetenv("TAVRIX_BENCH");
    }

    void Bench(const std::string& line) { ASSERT_TRUE(bench.run(line)) << line; }
    // The window as the status window makes it, with its first search.
    void Open(tMainBigDialogs dialogs = {}, QWidget* statusWindow = nullptr) {
        window = std::make_unique<TFrmMainBig>(d, std::move(dialogs), statusWindow);
        status.Window = window.get();
        window->BuildDeviceList();
    }
    // The start timer's tick: devices opened, workers running, the search timer on.
    void Start() {
        d.OpenDevices(true);
        window->SetKnownUsbCount(FtDeviceCount);
        window->SetSearchTimerEnabled(true);
    }
    // The COM port gauge gets its type, as the device dialog would give it.
    void TypeComGauge(tDevice& dev) {
        dev.DescrIdx = 1;
        dev.Descr = d.Rs232Descrs[1].get();
        dev.DescrText = dev.Descr->TypeName;
    }
    // A shown, active window, so that its keys count.
    void Activate(QWidget& w) {
        w.show();
        w.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    }
    // A key as the keyboard gives it: to the focus widget, else to the active window.
    static void Press(Qt::Key key) { QTest::keyClick(static_cast<QWidget*>(nullptr), key); }
    tPnlViewDevice& Panel(int i) { return *window->Panels().at(static_cast<std::size_t>(i)); }
    int PulseCount() {
        int pulses = 0;
        for (const std::string& entry : bench.log()) {
            if (entry.find("pulse dtr") != std::string::npos) ++pulses;
        }
        return pulses;
    }

    tavrix::test::TempProgDir prog;
    GaugeBench bench;
    FakeOffice office;
    TD d;
    StatusStandIn status;
    AnsweringDialogs answers;
    std::unique_ptr<TFrmMainBig> window;
};

// --- what one search shows ---

struct SearchCase {
    const char* name;
    std::vector<std::string> bench;
    QString usbCount;
    bool singular;
    int panels;
};

class MainBigSearchTest : public MainBigTest, public ::testing::WithParamInterface<SearchCase> {};

TEST_P(MainBigSearchTest, HeaderCountsTheTakenCableAndEachRowGetsAPanel) {
    const SearchCase& c = GetParam();
    for (const std::string& line : c.bench) Bench(line);
    int edits = 0;
    Open(WithEdit([&](QWidget*, tDevice&) {
        ++edits;
        return tEditDeviceResult{};
    }));

    EXPECT_EQ(window->LblUSB->text(), c.usbCount);
    EXPECT_EQ(window->LblUSBTxt1->isVisibleTo(window.get()), c.singular);
    EXPECT_EQ(window->LblUSBTxtX->isVisibleTo(window.get()), !c.singular);
    ASSERT_EQ(window->Panels().size(), static_cast<std::size_t>(c.panels));
    EXPECT_EQ(window->MItEditieren->isEnabled(), c.panels > 0);
    for (int i = 0; i < c.panels; ++i) {
        const tPnlViewDevice& p = Panel(i);
        EXPECT_EQ(p.DeviceIndex, d.DeviceRows.Row(static_cast<std::size_t>(i)).DevIdx());
        EXPECT_EQ(Text(p.LblDevice), QString::fromStdString(d.DeviceRows.Row(i).Caption));
        EXPECT_TRUE(p.isVisibleTo(window.get()));
        EXPECT_EQ(p.geometry(), QRect(0, i * 71, 729, 71));
        EXPECT_FALSE(p.ImgIntfType->Picture().isNull());
        EXPECT_FALSE(p.ImgDeviceType->Picture().isNull());  // the placeholder at least
    }
    if (c.panels == 0) {
        // Nothing to edit or to ask for.
        window->BtnEdtitDeviceClick();
        window->MItAnforderungClick();
        window->MItNaechsterClick();
        EXPECT_EQ(edits, 0);
    } else {
        window->BtnEdtitDeviceClick();
        EXPECT_EQ(edits, 1);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cables, MainBigSearchTest,
    ::testing::Values(
        SearchCase{"NoGauge", {}, "0", false, 0},
        SearchCase{"OneCable", {"cable lumo serial=LU1 desc=Lumo"}, "1", true, 1},
        // Only the first of two known cables is taken.
        SearchCase{"TwoCables",
                   {"cable lumo serial=LU1 desc=Lumo", "cable gv serial=GV1 desc=40GVw"},
                   "1",
                   true,
                   1},
        SearchCase{
            "ComPortAndCable", {"port COM1", "cable lumo serial=LU1 desc=Lumo"}, "1", true, 2}),
    [](const ::testing::TestParamInfo<SearchCase>& info) { return std::string(info.param.name); });

// --- hot plug and stale messages ---

TEST_F(MainBigTest, PulledCableKeepsItsRowWithAQuestionMarkAndTheResearchLeavesNothingStale) {
    Bench("port COM1");
    Bench("gauge COM1 answer=\"+0002.2222 mm\\r\"");
    Bench("cable lumo serial=LU1 desc=Lumo");
    Bench("gauge lumo");
    Open();
    ASSERT_EQ(window->Panels().size(), 2u);
    TypeComGauge(*d.Devices[0]);
    for (auto& dev : d.Devices) {
        dev->MwZielAppl = MwZielNone;
        dev->CreatedTick -= 3000;
    }
    Start();
    ASSERT_EQ(Text(Panel(1).LblDevice), "USB1");

    window->SelectPanel(1);
    window->MItAnforderungClick();
    ASSERT_TRUE(Eventually([&] { return Panel(1).PnlMw->Caption() == "+0001.1111"; }));

    Bench("unplug lumo");
    ASSERT_TRUE(Eventually([&] { return Text(Panel(1).LblDevice) == "USB ?"; }));
    ASSERT_EQ(d.Devices.size(), 1u);
    EXPECT_EQ(Panel(1).DeviceIndex, -1);
    EXPECT_FALSE(Panel(1).LedState->isVisibleTo(&Panel(1)));
    EXPECT_EQ(d.DeviceRows.Row(1).Caption, "USB ?");
    EXPECT_EQ(window->LblUSB->text(), "0");
    EXPECT_FALSE(window->MItEditieren->isEnabled());  // the pulled row is still selected

    // Messages about the device that went with the cable change nothing.
    const QString shown = Panel(1).PnlMw->Caption();
    for (int stale : {1, 7, -1}) {
        window->ShowValue(stale);
        window->ShowDeviceError(stale, true);
        window->ShowDeviceState(stale, 3);
        window->ShowTimerCountdown(stale);
    }
    EXPECT_EQ(Panel(1).PnlMw->Caption(), shown);
    EXPECT_FALSE(Panel(1).LedErrState->ShownColor() == QColor(Qt::red));
    EXPECT_EQ(d.DeviceRows.Row(1).ImageIndex, NoImage);

    // The COM port gauge goes on being served (its new record past its quiet while).
    ASSERT_TRUE(Eventually([&] { return !d.Devices[0]->Starting; }));
    window->SelectPanel(0);
    window->MItAnforderungClick();
    ASSERT_TRUE(Eventually([&] { return Panel(0).PnlMw->Caption() == "+0002.2222"; }));

    Bench("plug lumo");
    ASSERT_TRUE(Eventually([&] {
        return Text(Panel(1).LblDevice) == "USB1" && d.Devices.size() == 2 && d.Devices[1]->Opened;
    }));
    EXPECT_EQ(window->Panels().size(), 2u);
    EXPECT_EQ(Panel(1).DeviceIndex, 1);
    EXPECT_TRUE(Panel(1).LedState->isVisibleTo(&Panel(1)));
    window->SelectPanel(1);
    EXPECT_TRUE(window->MItEditieren->isEnabled());
}

TEST_F(MainBigTest, SearchTimerWaitsWhileADialogIsOpenAndCatchesUpAfterwards) {
    Bench("cable lumo serial=LU1 desc=Lumo");
    bool recordKept = true;
    Open(WithEdit([&](QWidget*, tDevice& dev) {
        Bench("unplug lumo");
        // Several ticks of the search timer pass while the dialog is open.
        RunEventsFor(1200ms);
        recordKept = d.Devices.size() == 1 && d.Devices[0].get() == &dev;
        dev.DeviceName = "Edited";
        return Edited(true);
    }));
    Start();
    window->BtnEdtitDeviceClick();
    EXPECT_TRUE(recordKept);
    EXPECT_EQ(Text(Panel(0).LblName), "Edited");
    EXPECT_TRUE(Eventually([&] { return Text(Panel(0).LblDevice) == "USB ?"; }));
}

// --- the device dialog ---

TEST_F(MainBigTest, NewDescriptionOfAComGaugeIsPutInBetweenStopAndStart) {
    Bench("port COM1");
    Bench("gauge COM1 answer=\"+0002.2222 mm\\r\"");
    std::string descrSeenByDialog;
    Open(WithEdit([&](QWidget*, tDevice& dev) {
        descrSeenByDialog = dev.DescrText;
        return Edited(true, 1);
    }));
    tDevice& dev = *d.Devices.at(0);
    dev.MwZielAppl = MwZielNone;
    dev.CreatedTick -= 3000;
    Start();
    EXPECT_FALSE(dev.Opened);  // a port without a type stays closed, its worker idle

    window->BtnEdtitDeviceClick();
    EXPECT_EQ(descrSeenByDialog, "UNDEF");
    EXPECT_EQ(dev.Descr, d.Rs232Descrs[1].get());
    EXPECT_EQ(dev.DescrText, "Lumo");
    EXPECT_TRUE(dev.Opened);
    EXPECT_NE(dev.Thread, nullptr);
    EXPECT_EQ(Text(Panel(0).LblIntf), "Lumo");

    // The restarted worker serves the port with the new description.
    window->MItAnforderungClick();
    EXPECT_TRUE(Eventually([&] { return Panel(0).PnlMw->Caption() == "+0002.2222"; }));
}

// After the dialog: only OK changes anything or counts as an edit of the run, a program
// INI file that cannot be written (the dialog reported that itself) stops nothing, and
// a renamed switch cable shows its new name at the gauges it requests.
TEST_F(MainBigTest, AfterTheDeviceDialogOnlyOkCountsAndARenamedSwitchShowsAtItsGauges) {
    Bench("port COM1");
    Bench("cable sw serial=SW1 desc=TV-I");
    for (const bool ok : {false, true}) {
        SCOPED_TRACE(ok ? "OK" : "Cancel");
        std::filesystem::remove_all(ProgIniFile);
        Open(WithEdit([&](QWidget*, tDevice& dev) {
            if (ok) dev.DeviceName = "Foot pedal";
            return Edited(ok);
        }));
        ASSERT_EQ(window->Panels().size(), 2u);
        const int gaugeAt = d.Devices[0]->Connection == ConnectionRs232 ? 0 : 1;
        tDevice& gauge = *d.Devices[static_cast<std::size_t>(gaugeAt)];
        tDevice& sw = *d.Devices[static_cast<std::size_t>(1 - gaugeAt)];
        TypeComGauge(gauge);
        gauge.AnforderType = AnforderSwitch;
        gauge.AnforderSerNrTVI = sw.GetId();
        sw.DeviceName = "Pedal";
        window->ShowDevice(gaugeAt);
        EXPECT_TRUE(Text(Panel(gaugeAt).LblAnforder).contains("Pedal"));
        d.SettingsEdited = false;
        // The program INI file cannot be written: a folder stands in its place.
        std::filesystem::remove_all(ProgIniFile);
        std::filesystem::create_directory(ProgIniFile);

        window->SelectPanel(1 - gaugeAt);
        EXPECT_NO_THROW(window->BtnEdtitDeviceClick());
        EXPECT_EQ(d.SettingsEdited, ok);
        EXPECT_EQ(Text(Panel(gaugeAt).LblAnforder).contains("Foot pedal"), ok);
        EXPECT_TRUE(answers.Messages.empty());
        std::filesystem::remove_all(ProgIniFile);
        window->ClearDeviceList(true);
        status.Window = nullptr;
        window.reset();
    }
}

// --- selection and keys ---

TEST_F(MainBigTest, PreviousAndNextWrapAndKeysActOnlyInTheirWindow) {
    Bench("port COM1");
    Bench("cable lumo serial=LU1 desc=Lumo");
    TStatusWindowStandIn statusWindow;
    statusWindow.setObjectName("FrmTavrixMain");
    statusWindow.resize(238, 58);
    int edits = 0;
    Open(WithEdit([&](QWidget*, tDevice&) {
             ++edits;
             return tEditDeviceResult{};
         }),
         &statusWindow);
    ASSERT_EQ(window->Panels().size(), 2u);
    Activate(*window);

    const auto current = [&] { return window->CurrentPanel(); };
    EXPECT_EQ(current(), 0);
    Press(Qt::Key_Up);  // from the first to the last
    EXPECT_EQ(current(), 1);
    EXPECT_EQ(Panel(1).Color(), ColorFromBgr(0xC0C0C0));
    EXPECT_EQ(Panel(1).BevelOuter(), tBevel::Lowered);
    EXPECT_EQ(Panel(0).Color(), ColorFromBgr(0xFFFFFF));
    EXPECT_EQ(Panel(0).BevelOuter(), tBevel::Raised);
    Press(Qt::Key_Down);  // from the last to the first
    EXPECT_EQ(current(), 0);
    // A key that travels up from a control deep inside moves once.
    Panel(0).PnlMw->setFocusPolicy(Qt::ClickFocus);
    Panel(0).PnlMw->setFocus();
    Press(Qt::Key_Down);
    EXPECT_EQ(current(), 1);
    window->MItNaechster->trigger();
    EXPECT_EQ(current(), 0);
    window->MItVoriger->trigger();
    EXPECT_EQ(current(), 1);

    // A click selects; Enter edits the current panel.
    QTest::mouseClick(Panel(0).LblTyp, Qt::LeftButton);
    EXPECT_EQ(current(), 0);
    Press(Qt::Key_Return);
    EXPECT_EQ(edits, 1);
    QTest::mouseDClick(Panel(1).PnlMw, Qt::LeftButton);
    EXPECT_EQ(current(), 1);
    EXPECT_EQ(edits, 2);

    // On the status window the arrows do nothing here, and Enter opens this window.
    window->hide();
    Activate(statusWindow);
    Press(Qt::Key_Up);
    EXPECT_EQ(current(), 1);
    Press(Qt::Key_Return);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(statusWindow.DoubleClicks, 1);  // the status window's own way of opening it
    EXPECT_EQ(edits, 2);
}

TEST_F(MainBigTest, OneFunctionKeyPressIsOneRequestWhileTheHookIsOff) {
    Bench("cable lumo serial=LU1 desc=Lumo");
    Bench("gauge lumo");
    Open();
    tDevice& dev = *d.Devices.at(0);
    dev.AnforderType = AnforderKey;
    dev.AnforderTasteKeyb = "F2";
    dev.MwZielAppl = MwZielNone;
    dev.CreatedTick -= 3000;  // past its quiet while after opening
    Start();
    Activate(*window);
    window->ShowDevice(0);
    EXPECT_EQ(Text(Panel(0).LblAnforder), "~Taste: F2");

    // The press reaches a control inside and travels up through the panel, the box and the window.
    Panel(0).PnlMw->setFocusPolicy(Qt::ClickFocus);
    Panel(0).PnlMw->setFocus();
    Press(Qt::Key_F2);
    ASSERT_TRUE(Eventually([&] { return Panel(0).PnlMw->Caption() == "+0001.1111"; }));
    RunEventsFor(500ms);
    EXPECT_EQ(PulseCount(), 1);
    EXPECT_EQ(status.Record.count(MsgValueQueued), 1u);

    // Another key asks nothing; with the hook installed the hook reports the keys.
    Press(Qt::Key_F3);
    d.HookActive = true;
    Press(Qt::Key_F2);
    RunEventsFor(500ms);
    EXPECT_EQ(PulseCount(), 1);
}

// --- lamps, timer button ---

TEST_F(MainBigTest, LampsFollowTheDeviceStateAndTheLineStatus) {
    Bench("cable lumo serial=LU1 desc=Lumo");
    Bench("gauge lumo");
    Open();
    tDevice& dev = *d.Devices.at(0);
    dev.MwZielAppl = MwZielNone;
    dev.CreatedTick -= 3000;
    tPnlViewDevice& p = Panel(0);
    const QColor lime(0, 255, 0), red(255, 0, 0), silver(0xC0, 0xC0, 0xC0);

    // Message 1027's state picks the colour; an unknown state shows silver.
    const std::vector<std::pair<int, QColor>> states = {
        {0, silver}, {1, QColor(255, 255, 0)},   {2, lime},
        {3, red},    {4, QColor(255, 255, 255)}, {9, silver}};
    for (const auto& [state, colour] : states) {
        window->ShowDeviceState(0, state);
        EXPECT_EQ(p.LedState->ShownColor(), colour) << state;
        EXPECT_EQ(d.DeviceRows.Row(0).ImageIndex, state);
    }

    // The real flow: the first tick reports a good line, an answer ends lime.
    Start();
    window->MItAnforderungClick();
    ASSERT_TRUE(Eventually([&] { return p.PnlMw->Caption() == "+0001.1111"; }));
    EXPECT_TRUE(Eventually([&] { return p.LedState->ShownColor() == lime; }));
    EXPECT_EQ(p.LedErrState->ShownColor(), lime);
    EXPECT_EQ(Text(p.LblState), "OK");
    EXPECT_EQ(d.DeviceRows.Row(0).SubItems[SubItemState], "OK");
    EXPECT_EQ(d.DeviceRows.Row(0).SubItems[SubItemValue], "+0001.1111 mm");

    // No answer: time-out, red.
    Bench("nogauge lumo");
    window->MItAnforderungClick();
    EXPECT_TRUE(Eventually([&] { return p.LedState->ShownColor() == red; }));

    // A failing cable: the error lamp, its text, no value.
    Bench("fail lumo any 4");
    EXPECT_TRUE(Eventually([&] { return p.LedErrState->ShownColor() == red; }));
    EXPECT_FALSE(Text(p.LblState).isEmpty());
    EXPECT_NE(Text(p.LblState), "OK");
    EXPECT_EQ(p.PnlMw->Caption(), "");
    EXPECT_EQ(d.DeviceRows.Row(0).SubItems[SubItemState], Text(p.LblState).toStdString());
    EXPECT_EQ(d.DeviceRows.Row(0).SubItemImages[SubItemState], 3);
    Bench("heal lumo");
}

TEST_F(MainBigTest, TimerButtonStartsAndStopsTheDeviceTimerAndShowsItsCountdown) {
    Bench("cable lumo serial=LU1 desc=Lumo");
    Bench("gauge lumo");
    int edits = 0;
    Open(WithEdit([&](QWidget*, tDevice&) {
        ++edits;
        return tEditDeviceResult{};
    }));
    tDevice& dev = *d.Devices.at(0);
    dev.AnforderType = AnforderTimer;
    dev.AnforderTicksTimer = 5000;
    dev.MwZielAppl = MwZielNone;
    dev.CreatedTick -= 3000;
    window->ShowDevice(0);
    tPnlViewDevice& p = Panel(0);
    EXPECT_TRUE(p.SpBTimer->isVisibleTo(&p));
    EXPECT_TRUE(p.LblTimer->isVisibleTo(&p));
    EXPECT_FALSE(p.LblAnforder->isVisibleTo(&p));
    EXPECT_EQ(Text(p.LblTime), "00:00:05");
    Start();
    window->show();

    QTest::mouseClick(p.SpBTimer, Qt::LeftButton);
    EXPECT_TRUE(p.SpBTimer->Down());
    EXPECT_TRUE(dev.TimerRunning);
    // It asks at once, then counts down to the next request.
    EXPECT_TRUE(Eventually([&] { return p.PnlMw->Caption() == "+0001.1111"; }));
    EXPECT_TRUE(Eventually([&] { return Text(p.LblTime) == "00:00:03"; }));

    QTest::mouseClick(p.SpBTimer, Qt::LeftButton);
    EXPECT_FALSE(p.SpBTimer->Down());
    EXPECT_FALSE(dev.TimerRunning);
    EXPECT_EQ(dev.NextTimerTick, 0);
    EXPECT_EQ(Text(p.LblTime), "00:00:05");

    // Editing stops a running timer first.
    QTest::mouseClick(p.SpBTimer, Qt::LeftButton);
    ASSERT_TRUE(dev.TimerRunning);
    window->BtnEdtitDeviceClick();
    EXPECT_EQ(edits, 1);
    EXPECT_FALSE(dev.TimerRunning);
    EXPECT_FALSE(p.SpBTimer->Down());
}

// --- what a panel says ---

struct RequestCase {
    const char* name;
    int anforderType;
    int zielAppl;
    std::string anforder;  // "" = hidden
    std::string dest;
};

class MainBigRequestTest : public MainBigTest, public ::testing::WithParamInterface<RequestCase> {};

TEST_P(MainBigRequestTest, RequestKindAndTargetReadFromAFileNeverIndexPastTheirTables) {
    const RequestCase& c = GetParam();
    Bench("cable lumo serial=LU1 desc=Lumo");
    Open();
    d.XlsGlobSlct = false;
    tDevice& dev = *d.Devices.at(0);
    dev.AnforderType = static_cast<std::uint8_t>(c.anforderType);
    dev.AnforderTasteKeyb = "F3";
    dev.AnforderSerNrTVI = "LU1";  // a switch is named by its cable's device
    dev.MwZielAppl = static_cast<std::uint8_t>(c.zielAppl);
    dev.MwTxtZielFile = "/data/runs/Messung.txt";
    dev.MwXlsZielVorlageSlct = false;
    dev.MwXlsZielFile = "C:\\Daten\\Buch.xls";
    dev.MwXlsZielTable = "T";
    dev.MwXlsZielCol = 3;
    window->ShowDevice(0);
    const tPnlViewDevice& p = Panel(0);
    EXPECT_EQ(p.LblAnforder->isVisibleTo(&p), !c.anforder.empty());
    if (!c.anforder.empty()) {
        EXPECT_EQ(Text(p.LblAnforder).toStdString(), c.anforder);
    }
    EXPECT_EQ(Text(p.LblDest).toStdString(), c.dest);
    EXPECT_FALSE(p.SpBTimer->isVisibleTo(&p));
}

INSTANTIATE_TEST_SUITE_P(
    Settings, MainBigRequestTest,
    ::testing::Values(RequestCase{"KeyToTextFile", 1, 2, "~Taste: F3", "~Textdatei: Messung.txt"},
                      RequestCase{"SwitchToSpreadsheet", 2, 1, "~Schalter: LU1",
                                  "~Excel: Buch.xls/T/3"},
                      RequestCase{"NoneToNone", 0, 0, "", "-"},
                      RequestCase{"UnknownKindAndTarget", 9, 7, "", "-"},
                      RequestCase{"LargestNumbers", 255, 255, "", "-"},
                      // 3 is a request kind but no target: never "~Betätigung".
                      RequestCase{"TargetThree", 1, 3, "~Taste: F3", "-"}),
    [](const ::testing::TestParamInfo<RequestCase>& info) { return std::string(info.param.name); });

// --- the test button and the language ---

TEST_F(MainBigTest, ExcelTestButtonWritesForTheDeviceOfTheCurrentPanel) {
    SwitchD = true;
    Bench("cable lumo serial=LU1 desc=Lumo");
    Open();
    ASSERT_TRUE(window->BtnExcelStart->isVisibleTo(window.get()));
    // A port found later gets a new row behind the cable's: the panel of the cable
    // (row 0) now shows device 1.
    Bench("port COM1");
    window->ClearDeviceList(false);
    window->BuildDeviceList();
    ASSERT_EQ(window->Panels().size(), 2u);
    ASSERT_EQ(Panel(0).DeviceIndex, 1);
    ASSERT_EQ(Panel(1).DeviceIndex, 0);

    d.XlsGlobSlct = false;
    const std::string usbBook = prog.path("usb.ods");
    const std::string comBook = prog.path("com.ods");
    for (const auto& [path, dev] :
         {std::pair{usbBook, d.Devices[1].get()}, std::pair{comBook, d.Devices[0].get()}}) {
        tavrix::test::WriteFile(path, "");
        office.AddFile(path, {FakeOffice::MakeSheet("S")});
        dev->MwZielAppl = MwZielXls;
        dev->MwXlsZielVorlageSlct = false;
        dev->MwXlsZielFile = path;
        dev->MwXlsZielTable = "S";
        dev->MwXlsZielCol = 2;
        dev->MwXlsZielStartRow = 1;
        dev->XlsRow = 1;
    }

    window->SelectPanel(0);
    QTest::mouseClick(window->BtnExcelStart, Qt::LeftButton);
    ASSERT_EQ(office.OpenBookCount(), 1);
    const FakeBook& book = *office.Book(1);
    EXPECT_EQ(book.path, usbBook);
    int written = 0;
    for (const auto& [cell, value] : book.sheets.at(0)->cells) {
        if (cell.second == 2 && !value.value.empty()) ++written;
    }
    EXPECT_EQ(written, 3);
    EXPECT_EQ(d.Devices[1]->ValueCount(), 0u);
    EXPECT_TRUE(answers.Messages.empty());

    // An automation error is shown in a box and goes no further.
    d.Devices[1]->MwXlsZielCol = 5000;  // beyond the last column of a sheet
    QTest::mouseClick(window->BtnExcelStart, Qt::LeftButton);
    ASSERT_EQ(answers.Messages.size(), 1u);
    EXPECT_FALSE(answers.Messages[0].isEmpty());
    EXPECT_EQ(d.Devices[1]->ValueCount(), 0u);

    // A row without a device writes nothing.
    Bench("unplug lumo");
    window->ClearDeviceList(false);
    window->BuildDeviceList();
    window->SelectPanel(0);
    ASSERT_EQ(Panel(0).DeviceIndex, -1);
    QTest::mouseClick(window->BtnExcelStart, Qt::LeftButton);
    EXPECT_EQ(answers.Messages.size(), 1u);
    EXPECT_EQ(office.OpenBookCount(), 1);
}

#ifdef TAVRIX_PROGRAM_DIR
TEST_F(MainBigTest, LanguageChangeTranslatesTheWindowAndTheEngineCaptions) {
    for (const char* language : {"Deutsch.LLNG", "Francais.LLNG"}) {
        std::filesystem::copy_file(std::string(TAVRIX_PROGRAM_DIR) + "/" + language,
                                   prog.path(language));
    }
    TMultiLang lang;
    MultiLang = &lang;
    Bench("cable lumo serial=LU1 desc=Lumo");
    tMainBigDialogs dialogs;
    dialogs.ChooseLanguage = &ChooseLanguage;
    LoadLangTexts(d);  // as the status window does once it has made D
    Open(dialogs);
    tDevice& dev = *d.Devices.at(0);
    dev.AnforderType = AnforderKey;
    dev.AnforderTasteKeyb = "F2";
    dev.MwZielAppl = MwZielTxt;
    dev.MwTxtZielFile = d.DatDir() + "Werte.txt";
    window->ShowDevice(0);
    EXPECT_EQ(window->MitTeilnehmer->title(), "&Messgeräte");
    EXPECT_EQ(Text(window->LblUSBTxt1), "USB-Gerät");
    EXPECT_EQ(Text(Panel(0).LblAnforder), "Taste: F2");
    EXPECT_EQ(Text(Panel(0).LblDest), "Textdatei: Werte.txt");

    // The user picks French in the language dialog.
    QTimer::singleShot(0, [] {
        QWidget* dialog = QApplication::activeModalWidget();
        ASSERT_TRUE(
            Eventually([&] { return (dialog = QApplication::activeModalWidget()) != nullptr; }));
        auto* box = dialog->findChild<QComboBox*>("CBx");
        ASSERT_NE(box, nullptr);
        box->setCurrentIndex(box->findText("Francais"));
        dialog->findChild<QPushButton*>("BtnOk")->click();
    });
    window->MitSprache_->trigger();

    EXPECT_EQ(lang.Language, "Francais");
    EXPECT_EQ(window->MitTeilnehmer->title(), "&Instruments");
    EXPECT_EQ(Text(window->LblUSBTxt1), "câble USB");
    EXPECT_EQ(Text(window->Label4), "Type, connexion");
    EXPECT_EQ(Text(Panel(0).LblTimer), "Minuterie");  // a copy made in German
    EXPECT_EQ(Text(Panel(0).LblAnforder), "Touche: F2");
    EXPECT_EQ(Text(Panel(0).LblDest), "Fichier texte: Werte.txt");
    MultiLang = nullptr;
}
#endif

// --- showing and closing ---

TEST_F(MainBigTest, ClosingHidesTheWindowPutsTheStatusWindowOnTopAndKeepsThePlacement) {
    SetScreenLayoutSource([] {
        return tScreenLayout{QSize(1280, 1024), {QRect(0, 0, 1280, 1024)}};
    });
    QWidget statusWindow;
    statusWindow.setWindowTitle("Lonvar standard");
    statusWindow.show();
    Open({}, &statusWindow);
    d.TvcFileName = d.DatDir() + "Halle 2.TVC";
    window->ShowMainWindow();
    EXPECT_EQ(window->windowTitle(), "Lonvar standard   (Halle 2.TVC)");
    window->resize(900, 420);
    window->MItFensterschliessen->trigger();

    EXPECT_FALSE(window->isVisible());
    EXPECT_TRUE(statusWindow.windowFlags() & Qt::WindowStaysOnTopHint);
    {
        tPgIniFile ini(ProgIniFile);
        EXPECT_EQ(ini.ReadInteger("FrmMainBig_1280X1024", "_W", 0), 900);
    }
    window->MitBeenden->trigger();
    EXPECT_FALSE(statusWindow.isVisible());
    SetScreenLayoutSource({});
}

}  // namespace
