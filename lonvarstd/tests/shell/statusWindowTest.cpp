// The status window offscreen, on the gauge bench, with a stand-in main window, answered
// message boxes and a stand-in hook library: start-up switches, the start-up window in
// which values are dropped, value handling one at a time while a box is open, the lamp,
// stale messages, the hook's events, the close.

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <filesystem>
#include <functional>
#include <future>
#include <memory>
#include <string>
#include <vector>

#include "bench/bench_ports.h"
#include "engine/dataModule.h"
#include "engineTestSupport.h"
#include "gauge_bench.h"
#include "shell/SingleInstance.h"
#include "shell/TavrixMain.h"
#include "shell/commandLineRequests.h"
#include "shell/keyWatch.h"
#include "shell/requestCommand.h"
#include "support/multi_lang.h"
#include "support/new_ini_file.h"
#include "support/prog_paths.h"
#include "ui/DXLed.h"
#include "ui/DialogCalls.h"
#include "ui/MainBig.h"
#include "ui/MainWindowLink.h"
#include "ui/Panel.h"
#include "ui/UserDialogs.h"

namespace {

using tavrix::gaugebench::GaugeBench;
using tavrix::test::ReadFile;
using tavrix::test::TempProgDir;
using tavrix::test::WriteFile;

using namespace std::chrono_literals;

constexpr int kWaitMs = 15000;

class tOffscreenApp : public ::testing::Environment {
public:
    void SetUp() override {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        app_ = std::make_unique<QApplication>(argc_, argv_);
    }
    void TearDown() override { app_.reset(); }

private:
    int argc_ = 1;
    char name_[16] = "shell_tests";
    char* argv_[2] = {name_, nullptr};
    std::unique_ptr<QApplication> app_;
};
const auto* const offscreenApp = ::testing::AddGlobalTestEnvironment(new tOffscreenApp);

// What the status window asked of the main window, in order.
class tStubMainWindow : public tMainWindowLink {
public:
    explicit tStubMainWindow(std::vector<std::string>& calls) : calls_(calls) {}
    void BuildDeviceList() override {
        calls_.push_back("BuildDeviceList");
        D->PortLister = &tavrix::bench::listBenchPorts;
        D->SrchDevices(true, true);
    }
    void ClearDeviceList(bool freePanels) override {
        calls_.push_back(std::string("ClearDeviceList ") + (freePanels ? "1" : "0"));
        D->ResetDevices();
    }
    void ShowValue(int devIdx) override {
        calls_.push_back("ShowValue " + std::to_string(devIdx));
        if (OnShowValue) OnShowValue();
    }
    void ShowDeviceError(int devIdx, bool isError) override {
        calls_.push_back("ShowDeviceError " + std::to_string(devIdx) + " " +
                         std::to_string(isError));
    }
    void ShowDeviceState(int devIdx, int state) override {
        calls_.push_back("ShowDeviceState " + std::to_string(devIdx) + " " + std::to_string(state));
    }
    void ShowTimerCountdown(int devIdx) override {
        calls_.push_back("ShowTimerCountdown " + std::to_string(devIdx));
    }
    void SetKnownUsbCount(std::uint32_t count) override {
        calls_.push_back("SetKnownUsbCount " + std::to_string(count));
    }
    void SetSearchTimerEnabled(bool enabled) override {
        calls_.push_back("SetSearchTimerEnabled " + std::to_string(enabled));
    }
    void ShowMainWindow() override {
        calls_.push_back("ShowMainWindow");
        visible_ = true;
    }
    bool IsMainWindowVisible() const override { return visible_; }

    std::function<void()> OnShowValue;

private:
    std::vector<std::string>& calls_;
    bool visible_ = false;
};

// Message boxes answered by the test; each may run code while it is "open".
class tAnsweredDialogs : public tUserDialogs {
public:
    void ShowMessage(QWidget*, const QString& text) override {
        Messages.push_back(text.toStdString());
        if (WhileOpen) WhileOpen();
    }
    bool Confirm(QWidget*, const QString& text) override {
        Questions.push_back(text.toStdString());
        return Answer;
    }
    QString ChooseFile(QWidget*, const tFileDialogRequest&) override { return {}; }

    std::vector<std::string> Messages;
    std::vector<std::string> Questions;
    bool Answer = false;
    std::function<void()> WhileOpen;
};

struct tFakeHook {
    void* lib = dlopen(TAVFX_FAKE_HOOK, RTLD_NOW | RTLD_LOCAL);
    int Installs() const { return reinterpret_cast<int (*)()>(dlsym(lib, "FakeHookInstalls"))(); }
    void OnUninstall(void (*observer)()) const {
        reinterpret_cast<void (*)(void (*)())>(dlsym(lib, "FakeHookOnUninstall"))(observer);
    }
    bool Press(std::uint16_t vk) const {
        return reinterpret_cast<bool (*)(std::uint16_t)>(dlsym(lib, "FakeHookPress"))(vk);
    }
    ~tFakeHook() { dlclose(lib); }
};

class StatusWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(bench.running()) << bench.error();
        setenv("TAVRIX_BENCH", bench.socketPath().c_str(), 1);
        SwitchD = false;
        SwitchI = false;
        SetUserDialogs(&dialogs);
        tavrix::test::KeepComPortsOffTheMachine(prog);
        // The Lumo gauge answers F2 and writes its text file.
        WriteFile(prog.path("DAT/DEFAULT.TVC"),
                  "[Lumo LU000001]\r\nDeviceName=Bench Lumo\r\nAnforderType=1\r\n"
                  "AnforderTasteKeyb=F2\r\nMwZielAppl=2\r\n");
        bench.run("cable lumo serial=LU000001 desc=Lumo");
        bench.run("gauge lumo delay=5");
    }
    void TearDown() override {
        form.reset();
        SetUserDialogs(nullptr);
        unsetenv("TAVRIX_BENCH");
        SwitchD = false;
        SwitchI = false;
    }

    void Start(const QStringList& parameters = {}, bool withMainWindow = true) {
        tStatusWindowParts parts;
        if (withMainWindow) {
            parts.MakeMainWindow = [this](TD&, QWidget*) {
                auto stub = std::make_unique<tStubMainWindow>(calls);
                mainWindow = stub.get();
                return std::unique_ptr<tMainWindowLink>(std::move(stub));
            };
        }
        parts.ShowInfo = [this](QWidget*) { calls.push_back("ShowInfo"); };
        parts.HookLibraryPath = hookPath;
        form = std::make_unique<TFrmTavrixMain>(parameters, std::move(parts));
        form->show();
    }
    // Past the start-up window: devices open, values handled.
    void StartAndWaitReady(const QStringList& parameters = {}) {
        Start(parameters);
        ASSERT_TRUE(QTest::qWaitFor([&] { return !form->TimerStart.isActive(); }, kWaitMs));
    }
    void PostValue(int index) {
        QCoreApplication::postEvent(
            form->EngineEvents(),
            new tEngineEvent(MsgValueQueued, 0, index, D->DevicesGeneration.load()));
    }
    std::string TextFile() { return ReadFile(prog.path("DAT/Device1.txt")); }
    int Count(const std::string& call) const {
        return static_cast<int>(std::count(calls.begin(), calls.end(), call));
    }

    TempProgDir prog;
    GaugeBench bench;
    tAnsweredDialogs dialogs;
    std::string hookPath = TAVFX_FAKE_HOOK;
    std::vector<std::string> calls;
    tStubMainWindow* mainWindow = nullptr;
    std::unique_ptr<TFrmTavrixMain> form;
};

TEST(StartSwitchesTest, WholeLettersInEitherCaseSetTheSwitches) {
    struct tCase {
        QStringList parameters;
        bool switchD;
        bool switchI;
    };
    const std::vector<tCase> cases = {
        {{"d"}, true, false},     {{"D"}, true, false},   {{"/D"}, false, false},
        {{"-d"}, false, false},   {{"DI"}, false, false}, {{"I"}, false, true},
        {{"i", "D"}, true, true}, {{" D"}, false, false}, {{}, false, false},
    };
    for (const tCase& c : cases) {
        SwitchD = false;
        SwitchI = false;
        ReadStartSwitches(c.parameters);
        EXPECT_EQ(SwitchD, c.switchD) << c.parameters.join(" ").toStdString();
        EXPECT_EQ(SwitchI, c.switchI) << c.parameters.join(" ").toStdString();
    }
    SwitchD = false;
    SwitchI = false;
}

TEST_F(StatusWindowTest, StartUpSearchesOpensInstallsTheHookAndDropsValuesUntilTheSecondTick) {
    Start();
    EXPECT_EQ(form->objectName(), "FrmTavrixMain");
    EXPECT_EQ(form->size(), QSize(238, 58));
    EXPECT_TRUE(form->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(form->windowTitle(), "Lonvar standard");
    ASSERT_EQ(D->Devices.size(), 1u);
    EXPECT_EQ(calls,
              (std::vector<std::string>{"BuildDeviceList", "SetKnownUsbCount 1", "ShowInfo"}));

    // A value in the start-up window goes, with the next four of its device.
    tDevice& dev = *D->Devices[0];
    for (int i = 0; i < 6; ++i) dev.AppendValue("+0009.000" + std::to_string(i) + " mm");
    PostValue(0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return dev.ValueCount() == 1; }, kWaitMs));
    EXPECT_EQ(Count("ShowValue 0"), 0);
    EXPECT_EQ(form->PnlMw->Caption(), "--.--");

    ASSERT_TRUE(QTest::qWaitFor([&] { return form->Started; }, kWaitMs));
    EXPECT_TRUE(form->HookActive);
    EXPECT_TRUE(D->HookActive);
    EXPECT_EQ(Count("SetSearchTimerEnabled 1"), 1);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !form->TimerStart.isActive(); }, kWaitMs));
    EXPECT_EQ(form->PnlMw->Caption(), "--.--");

    // The one left from the start-up window and the next are handled, each once.
    dev.AppendValue("+0001.2500 mm");
    PostValue(0);
    PostValue(0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return form->ValuesHandled() == 2; }, kWaitMs));
    EXPECT_EQ(TextFile(), "+0009.0005\r\n+0001.2500\r\n");
    EXPECT_EQ(form->PnlMw->Caption(), "+0001.2500");
    EXPECT_EQ(form->LblDev->text(), "Bench Lumo");
    EXPECT_EQ(Count("ShowValue 0"), 4) << "shown before and after the output";
}

TEST_F(StatusWindowTest, ValuesArrivingWhileABoxIsOpenAreHandledAfterItOnceEachInOrder) {
    StartAndWaitReady();
    tDevice& dev = *D->Devices[0];
    for (int i = 1; i <= 5; ++i) dev.AppendValue("+000" + std::to_string(i) + ".0000 mm");
    // The second value's handling ends in an error after its output; its box stays open
    // while three more value messages arrive.
    int shows = 0;
    mainWindow->OnShowValue = [&] {
        if (++shows == 4) throw std::runtime_error("Automation: the sheet went away");
    };
    int handledWhileOpen = -1;
    dialogs.WhileOpen = [&] {
        EXPECT_TRUE(form->Busy);
        const int before = form->ValuesHandled();
        for (int i = 0; i < 3; ++i) PostValue(0);
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
        handledWhileOpen = form->ValuesHandled() - before;
    };
    PostValue(0);
    PostValue(0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return form->ValuesHandled() == 5; }, kWaitMs));
    QCoreApplication::processEvents();

    EXPECT_EQ(dialogs.Messages, (std::vector<std::string>{"Automation: the sheet went away"}));
    EXPECT_EQ(handledWhileOpen, 0);
    EXPECT_FALSE(form->Busy);
    EXPECT_EQ(TextFile(), "+0001.0000\r\n+0002.0000\r\n+0003.0000\r\n+0004.0000\r\n+0005.0000\r\n");
    EXPECT_EQ(dev.ValueCount(), 0u);
    EXPECT_EQ(form->ValuesHandled(), 5);

    // After the error, values go on as usual.
    mainWindow->OnShowValue = nullptr;
    dev.AppendValue("+0006.0000 mm");
    PostValue(0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return form->ValuesHandled() == 6; }, kWaitMs));
    EXPECT_FALSE(form->Busy);
}

TEST_F(StatusWindowTest, LampAndMainWindowFollowTheEngineMessagesAndStaleOnesAreIgnored) {
    StartAndWaitReady();
    const auto post = [&](std::uint32_t msg, std::int64_t wParam, std::int64_t index,
                          std::uint32_t generation) {
        QCoreApplication::postEvent(form->EngineEvents(),
                                    new tEngineEvent(msg, wParam, index, generation));
        QCoreApplication::sendPostedEvents(form->EngineEvents());
    };
    const std::uint32_t now = D->DevicesGeneration.load();
    calls.clear();

    post(MsgDeviceState, 1, 0, now);
    EXPECT_EQ(form->LedMw->ColorActive(), StateColor(1));
    post(MsgDeviceError, 4, 0, now);
    EXPECT_EQ(form->LedMw->ColorActive(), StateColor(3));
    form->LedMw->SetValue(true);
    QTest::qWait(1500);
    EXPECT_TRUE(form->LedMw->Value()) << "a red lamp stays on";
    post(MsgDeviceError, 0, 0, now);
    EXPECT_EQ(form->LedMw->ColorActive(), StateColor(2));
    post(MsgTimerTick, 0, 0, now);

    // From before a re-search, or for a device that is not there: ignored.
    post(MsgDeviceState, 3, 0, now - 1);
    post(MsgDeviceError, 4, 0, now + 1);
    post(MsgTimerTick, 0, 7, now);
    post(MsgValueQueued, 0, 7, now);
    post(MsgDeviceState, 3, -1, now);
    EXPECT_EQ(calls, (std::vector<std::string>{"ShowDeviceState 0 1", "ShowDeviceError 0 1",
                                               "ShowDeviceError 0 0", "ShowTimerCountdown 0"}));
    EXPECT_EQ(form->LedMw->ColorActive(), StateColor(2));
}

TEST_F(StatusWindowTest, AKeyFromTheHookRequestsTheGaugeAndItsValueReachesTheFile) {
    StartAndWaitReady();
    tFakeHook hook;
    ASSERT_TRUE(form->HookActive);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !D->Devices[0]->Starting; }, kWaitMs));
    ASSERT_TRUE(hook.Press(113));
    ASSERT_TRUE(QTest::qWaitFor([&] { return form->ValuesHandled() == 1; }, kWaitMs));
    EXPECT_EQ(TextFile(), "+0001.1111\r\n");
    ASSERT_TRUE(hook.Press(114)) << "F3 requests nothing";
    QTest::qWait(300);
    EXPECT_EQ(form->ValuesHandled(), 1);
}

// `LonvarStd --request <key>` as a user's desktop shortcut runs it: the client waits for
// the answer on a thread of its own while this thread runs the program's event loop.
std::future<tRequestExit> RequestFromCommandLine(const std::string& socket, const std::string& key,
                                                 std::string& message) {
    return std::async(std::launch::async,
                      [socket, key, &message] { return SendKeyRequest(socket, key, message); });
}

TEST_F(StatusWindowTest, AKeyFromTheCommandLineIsTakenOnceStartedAlsoWhileAModalDialogIsOpen) {
    tSingleInstance instance("LonvarStd", QString::fromStdString(prog.dir()));
    ASSERT_TRUE(instance.Acquire());
    Start();
    TakeCommandLineRequests(instance, *form);
    const std::string socket = instance.SocketPath().toStdString();
    std::string message;
    auto early = RequestFromCommandLine(socket, "F2", message);
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return early.wait_for(0s) == std::future_status::ready; }, kWaitMs));
    EXPECT_EQ(early.get(), RequestNotTaken) << "before the devices are open";
    EXPECT_NE(message.find("still starting"), std::string::npos) << message;

    ASSERT_TRUE(QTest::qWaitFor([&] { return !form->TimerStart.isActive(); }, kWaitMs));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !D->Devices[0]->Starting; }, kWaitMs));
    // The device settings dialog, say: the request comes in while it runs its own loop.
    QDialog dialog(form.get());
    dialog.setModal(true);
    std::future<tRequestExit> taken;
    QTimer::singleShot(0, &dialog, [&] { taken = RequestFromCommandLine(socket, "f2", message); });
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &dialog, [&] {
        if (taken.valid() && taken.wait_for(0s) == std::future_status::ready &&
            form->ValuesHandled() == 1) {
            dialog.accept();
        }
    });
    poll.start(5);
    QTimer::singleShot(kWaitMs, &dialog, &QDialog::reject);
    EXPECT_EQ(dialog.exec(), QDialog::Accepted) << "the value came while the dialog was open";
    EXPECT_EQ(taken.get(), RequestTaken) << message;
    EXPECT_EQ(TextFile(), "+0001.1111\r\n");
}

TEST_F(StatusWindowTest, HookMissingWithoutEntryPointsOrUnderSwitchDLeavesHookActiveFalse) {
    struct tCase {
        std::string path;
        QStringList parameters;
    };
    const std::vector<tCase> cases = {
        {prog.path("libTavFxHook.so"), {}},  // not there
        {"libm.so.6", {}},                   // no entry points
        {TAVFX_FAKE_HOOK, {"d"}},            // test switch: not loaded
    };
    tFakeHook hook;
    const int installsBefore = hook.Installs();
    for (const tCase& c : cases) {
        hookPath = c.path;
        StartAndWaitReady(c.parameters);
        EXPECT_FALSE(form->HookActive) << c.path;
        EXPECT_FALSE(D->HookActive) << c.path;
        EXPECT_EQ(form->Hook.HookLib, nullptr) << c.path;
        form.reset();
    }
    EXPECT_EQ(hook.Installs(), installsBefore);
}

// The observer of the stand-in hook's removal sees what is still there.
std::vector<std::string>* closeLog = nullptr;
void NoteUninstall() {
    closeLog->push_back(std::string("UninstallHook, D ") + (D != nullptr ? "there" : "gone"));
}

TEST_F(StatusWindowTest, CloseRemovesTheHookFirstThenAsksOnlyIfTheMainWindowWasShown) {
    struct tCase {
        bool mainShown;
        bool answer;
    };
    for (const tCase c : {tCase{false, true}, tCase{true, false}, tCase{true, true}}) {
        SCOPED_TRACE(testing::Message() << "shown " << c.mainShown << " answer " << c.answer);
        std::remove(prog.path("TVC.TMP").c_str());
        WriteFile(prog.path("DAT/DEFAULT.TVC"), "");
        calls.clear();
        dialogs.Questions.clear();
        dialogs.Answer = c.answer;
        StartAndWaitReady();
        tFakeHook hook;
        closeLog = &calls;
        hook.OnUninstall(&NoteUninstall);
        if (c.mainShown) form->SchowGanzBildDblClick();
        form->move(40, 30);
        bool closed = false;
        QObject::connect(form.get(), &TFrmTavrixMain::Closed, [&] { closed = true; });
        calls.clear();
        form->close();
        hook.OnUninstall(nullptr);

        EXPECT_TRUE(closed);
        EXPECT_EQ(D, nullptr);
        EXPECT_EQ(MultiLang, nullptr);
        EXPECT_EQ(calls, (std::vector<std::string>{"UninstallHook, D there", "ClearDeviceList 1"}));
        EXPECT_FALSE(hook.Press(113));
        EXPECT_EQ(dialogs.Questions.size(), c.mainShown ? 1u : 0u);
        EXPECT_NE(ReadFile(prog.path("TVC.TMP")).find("[Lumo LU000001]"), std::string::npos);
        EXPECT_EQ(
            ReadFile(prog.path("DAT/DEFAULT.TVC")).find("[Lumo LU000001]") != std::string::npos,
            c.mainShown && c.answer);
        const std::string ini = ReadFile(ProgIniFile);
        EXPECT_NE(ini.find("[FrmTavrixMain_"), std::string::npos);
        EXPECT_NE(ini.find("_L=40"), std::string::npos);
        form.reset();
    }
}

// The device settings survive the close: an unwritable program INI file is reported and
// the question still comes; an end signal saves what the user changed in this run.
TEST_F(StatusWindowTest, SettingsOfTheRunSurviveABrokenProgramIniAndAnEndSignal) {
    struct tCase {
        const char* name;
        bool iniBroken;
        bool endSignal;
        bool edited;
        std::size_t questions;
        std::size_t messages;
        bool saved;
    };
    const tCase cases[] = {
        {"program INI file unwritable, answered yes", true, false, false, 1, 1, true},
        {"end signal after an edit", false, true, true, 0, 0, true},
        {"end signal without an edit", false, true, false, 0, 0, false},
    };
    for (const tCase& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove_all(ProgIniFile);
        WriteFile(prog.path("DAT/DEFAULT.TVC"), "");
        dialogs.Questions.clear();
        dialogs.Messages.clear();
        dialogs.Answer = true;
        StartAndWaitReady();
        form->SchowGanzBildDblClick();
        D->SettingsEdited = c.edited;
        // A folder where the file should be cannot be read or written.
        if (c.iniBroken) {
            std::filesystem::remove_all(ProgIniFile);
            std::filesystem::create_directory(ProgIniFile);
        }
        form->AskOnClose = !c.endSignal;
        form->close();

        EXPECT_EQ(dialogs.Questions.size(), c.questions);
        EXPECT_EQ(dialogs.Messages.size(), c.messages);
        EXPECT_EQ(
            ReadFile(prog.path("DAT/DEFAULT.TVC")).find("[Lumo LU000001]") != std::string::npos,
            c.saved);
        form.reset();
    }
    std::filesystem::remove_all(ProgIniFile);
}

TEST_F(StatusWindowTest, InitRunOpensAndClosesEveryDeviceOnceAndEndsWithoutAsking) {
    bench.run("clearlog");
    bool closed = false;
    Start({"I"});
    QObject::connect(form.get(), &TFrmTavrixMain::Closed, [&] { closed = true; });
    EXPECT_TRUE(SwitchI);
    EXPECT_TRUE(form->PnlInit->isVisible());
    EXPECT_FALSE(form->LblDev->isVisible());
    EXPECT_EQ(mainWindow, nullptr) << "no main window in the init run";
    EXPECT_EQ(calls, std::vector<std::string>{}) << "no info window either";
    EXPECT_GE(form->TmpListView.Count(), 1u);
    ASSERT_TRUE(QTest::qWaitFor([&] { return closed; }, kWaitMs));
    EXPECT_TRUE(dialogs.Questions.empty());
    EXPECT_FALSE(form->HookActive);
    std::string log;
    for (const std::string& line : bench.log()) log += line + "\n";
    EXPECT_NE(log.find("lumo open"), std::string::npos) << log;
    EXPECT_NE(log.find("lumo close"), std::string::npos) << log;
    EXPECT_EQ(ReadFile(ProgIniFile).find("[FrmTavrixMain_"), std::string::npos)
        << "the init run stores no placement";
}

// On Wayland the hook (through XWayland) misses the keys of Wayland programs: the user is
// told once, with the command for each key in use; on X nothing is told.
TEST_F(StatusWindowTest, UnwatchedRequestKeysAreToldOnceWithTheCommandToBind) {
    setenv("WAYLAND_DISPLAY", "wayland-test", 1);
    StartAndWaitReady();
    ASSERT_NE(form->KeyWatch(), nullptr);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !dialogs.Messages.empty(); }, kWaitMs));
    EXPECT_NE(dialogs.Messages[0].find(" --request F2"), std::string::npos) << dialogs.Messages[0];
    EXPECT_NE(form->toolTip().indexOf("X"), -1) << form->toolTip().toStdString();
    form->KeyWatch()->SetPortalState(tPortalState::Refused);
    form->KeyWatch()->CheckKeys();
    QTest::qWait(50);
    EXPECT_EQ(dialogs.Messages.size(), 1u);
    form.reset();
    unsetenv("WAYLAND_DISPLAY");

    dialogs.Messages.clear();
    StartAndWaitReady();
    QTest::qWait(50);
    EXPECT_TRUE(dialogs.Messages.empty()) << dialogs.Messages[0];
}

TEST_F(StatusWindowTest, LanguageIniSetsTheLanguageOnceAndUnreadableSettingsAreShown) {
    WriteFile(prog.path("Language.ini"), "[DEFAULT]\r\nLANGUAGE=English\r\n");
    // A configuration file that cannot be read (a folder in its place).
    std::filesystem::remove(prog.path("DAT/DEFAULT.TVC"));
    std::filesystem::create_directories(prog.path("DAT/DEFAULT.TVC"));
    Start();
    EXPECT_FALSE(std::filesystem::exists(prog.path("Language.ini")));
    ASSERT_EQ(dialogs.Messages.size(), 1u);
    EXPECT_NE(dialogs.Messages[0].find("DEFAULT.TVC"), std::string::npos) << dialogs.Messages[0];
    form.reset();
    EXPECT_NE(ReadFile(ProgIniFile).find("LANGUAGE=English"), std::string::npos);
}

TEST_F(StatusWindowTest, WithSwitchDTheRealMainWindowShowsItsTestButtonAndNoHookIsLoaded) {
    tStatusWindowParts parts;
    parts.MakeMainWindow = [](TD& d, QWidget* status) {
        return std::unique_ptr<tMainWindowLink>(
            std::make_unique<TFrmMainBig>(d, tMainBigDialogs{}, status, nullptr));
    };
    parts.HookLibraryPath = hookPath;
    form = std::make_unique<TFrmTavrixMain>(QStringList{"D"}, std::move(parts));
    form->show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !form->TimerStart.isActive(); }, kWaitMs));
    EXPECT_FALSE(form->HookActive);
    EXPECT_EQ(form->Hook.HookLib, nullptr);
    form->SchowGanzBildDblClick();
    auto* main = dynamic_cast<QWidget*>(form->MainWindow());
    ASSERT_NE(main, nullptr);
    EXPECT_TRUE(main->isVisible());
    auto* button = main->findChild<QWidget*>("BtnExcelStart");
    ASSERT_NE(button, nullptr);
    EXPECT_TRUE(button->isVisible());
    EXPECT_TRUE(form->MainShown);
    dialogs.Answer = false;
    form->close();
    EXPECT_EQ(dialogs.Questions.size(), 1u);
}

}  // namespace
