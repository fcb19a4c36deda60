// LonvarStd end to end: the real program in a program folder of the test's own, on a
// virtual X server, with the gauge bench as a process of its own. Keys are typed into
// another X window through XTest; the bench's log shows the request pulses; the values
// land in the gauges' text files. Prints the measured figures.

#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "bench/bench_link.h"
#include "child_process.h"
#include "e2eWait.h"
#include "xvfb_server.h"

// Last: Xlib's macros would break the test framework's headers.
#include "otherXApplication.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// Generous: two cores shared with other builds, sanitizers, a cold office library cache.
constexpr auto kWait = 30s;

using e2e::CountOf;
using e2e::ReadText;

bool WaitFor(const std::function<bool()>& done, std::chrono::milliseconds timeout = kWait) {
    return e2e::WaitFor(done, timeout);
}

double Ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

// The top-level window whose title holds `part` (none: 0), and a double click on it.
Window FindWindowTitled(Display* display, const std::string& part) {
    Window root = 0, parent = 0;
    Window* children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count)) {
        return 0;
    }
    const Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
    const Atom netName = XInternAtom(display, "_NET_WM_NAME", False);
    Window found = 0;
    for (unsigned i = 0; i < count && found == 0; ++i) {
        XWindowAttributes attributes{};
        if (!XGetWindowAttributes(display, children[i], &attributes) ||
            attributes.map_state != IsViewable) {
            continue;
        }
        Atom type = 0;
        int format = 0;
        unsigned long items = 0, left = 0;
        unsigned char* data = nullptr;
        if (XGetWindowProperty(display, children[i], netName, 0, 256, False, utf8, &type, &format,
                               &items, &left, &data) == Success &&
            data != nullptr) {
            if (std::string(reinterpret_cast<char*>(data), items).find(part) != std::string::npos)
                found = children[i];
            XFree(data);
        }
    }
    if (children != nullptr) XFree(children);
    return found;
}

void DoubleClick(Display* display, Window window) {
    int x = 0, y = 0;
    Window child = 0;
    XTranslateCoordinates(display, window, DefaultRootWindow(display), 20, 20, &x, &y, &child);
    XTestFakeMotionEvent(display, -1, x, y, CurrentTime);
    for (int click = 0; click < 2; ++click) {
        XTestFakeButtonEvent(display, 1, True, CurrentTime);
        XTestFakeButtonEvent(display, 1, False, CurrentTime);
    }
    XSync(display, False);
}

class ProgramTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { server_ = new TXvfbServer(); }
    static void TearDownTestSuite() {
        delete server_;
        server_ = nullptr;
    }

    void SetUp() override {
        PrepareProgramFolder();
        if (!HasFatalFailure()) StartBench();
    }
    // A copy of the program folder of the test's own, with no settings yet.
    void PrepareProgramFolder() {
        ASSERT_TRUE(server_->Running()) << "Xvfb did not start";
        setenv("DISPLAY", server_->Display().c_str(), 1);
        std::string pattern = (fs::temp_directory_path() / "lonvarstd-e2e-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        dir_ = pattern;
        fs::copy(TAVRIX_PROGRAM_FOLDER, dir_ / "prog", fs::copy_options::recursive);
        for (const char* left : {"DAT", "LonvarStd.INI", "LonvarStd.TMP"}) {
            fs::remove_all(dir_ / "prog" / left);
        }
        fs::create_directories(dir_ / "prog" / "DAT");
        fs::create_directories(dir_ / "rt");
        chmod((dir_ / "rt").c_str(), 0700);
        // The COM ports the program may test are the bench's only.
        std::ofstream((dir_ / "prog" / "LonvarStd.INI").string(), std::ios::binary)
            << "[COMPORTS]\r\nCOM2=" << (dir_ / "no-tty").string() << "\r\n";
    }
    void StartBench() {
        const std::string socket = (dir_ / "bench.sock").string();
        bench_ = std::make_unique<TChildProcess>(
            GAUGEBENCH_PROGRAM, std::vector<std::string>{"--empty", "--socket", socket},
            std::map<std::string, std::string>{});
        link_ = e2e::ConnectBench(socket);
        ASSERT_NE(link_, nullptr);
        Bench("cable lumo serial=LU000001 desc=Lumo");
        Bench("gauge lumo answer=\"+0001.1111 mm\\r\" delay=30 vary=1");
    }
    void TearDown() override {
        programs_.clear();
        link_.reset();
        bench_.reset();
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }

    tavrix::bench::Reply Bench(const std::string& line) {
        tavrix::bench::Reply reply;
        EXPECT_TRUE(link_->call(line, reply)) << line;
        EXPECT_TRUE(reply.ok) << line << ": " << reply.text;
        return reply;
    }
    std::string BenchLog() {
        std::string text;
        for (const std::string& line : Bench("log").lines) text += line + "\n";
        return text;
    }
    // The durations of the DTR pulses on `line` in the bench log, in ms.
    std::vector<int> Pulses(const std::string& line) {
        std::vector<int> pulses;
        std::istringstream log(BenchLog());
        for (std::string entry; std::getline(log, entry);) {
            const std::string mark = " " + line + " pulse dtr ";
            const auto at = entry.find(mark);
            if (at != std::string::npos)
                pulses.push_back(std::stoi(entry.substr(at + mark.size())));
        }
        return pulses;
    }

    void WriteConfig(const std::string& text) {
        std::ofstream(Prog("DAT/DEFAULT.TVC"), std::ios::binary) << text;
    }
    std::string Prog(const std::string& name) const { return (dir_ / "prog" / name).string(); }

    // Starts LonvarStd; its terminal output goes to out<n>.txt.
    TChildProcess& Start(const std::vector<std::string>& parameters = {}) {
        const std::string out =
            (dir_ / ("out" + std::to_string(programs_.size()) + ".txt")).string();
        std::vector<std::string> args{"-c", "exec \"$0\" \"$@\" >" + out + " 2>&1",
                                      Prog("LonvarStd")};
        args.insert(args.end(), parameters.begin(), parameters.end());
        programs_.push_back(std::make_unique<TChildProcess>(
            "/bin/sh", args,
            std::map<std::string, std::string>{{"XDG_RUNTIME_DIR", (dir_ / "rt").string()},
                                               {"TAVRIX_BENCH", (dir_ / "bench.sock").string()},
                                               {"QT_QPA_PLATFORM", "xcb"}}));
        outputs_.push_back(out);
        return *programs_.back();
    }
    std::string Output(std::size_t program = 0) const { return ReadText(outputs_.at(program)); }
    // What an orderly end leaves: settings and placement written, the cable let go.
    void ExpectEndedInOrder() {
        EXPECT_EQ(Output().find("terminate"), std::string::npos) << Output();
        EXPECT_NE(ReadText(Prog("TVC.TMP")).find("[Lumo LU000001]"), std::string::npos) << Output();
        EXPECT_NE(ReadText(Prog("LonvarStd.INI")).find("[FrmTavrixMain_"), std::string::npos);
        EXPECT_NE(BenchLog().find("lumo close"), std::string::npos);
    }
    bool WaitReady(std::size_t program = 0) {
        return WaitFor([&] { return Output(program).find("ready:") != std::string::npos; });
    }

    static TXvfbServer* server_;
    fs::path dir_;
    std::unique_ptr<TChildProcess> bench_;
    std::unique_ptr<tavrix::bench::BenchLink> link_;
    std::vector<std::unique_ptr<TChildProcess>> programs_;
    std::vector<std::string> outputs_;
};

TXvfbServer* ProgramTest::server_ = nullptr;

const char* const kLumoOnF2 =
    "[Lumo LU000001]\r\nDeviceName=Lumo F2\r\nAnforderType=1\r\nAnforderTasteKeyb=F2\r\n"
    "MwZielAppl=2\r\n";

TEST_F(ProgramTest, F2InAnotherWindowPulsesTheGaugeAndItsValueLandsInTheFileAndTheWindow) {
    WriteConfig(kLumoOnF2);
    const auto started = Clock::now();
    TChildProcess& program = Start();
    ASSERT_TRUE(WaitReady()) << Output();
    const double readyMs = Ms(Clock::now() - started);
    // The key ways are told once the hook is in, just after the ready line.
    EXPECT_TRUE(WaitFor([&] {
        return Output().find("request keys: keyboard hook") != std::string::npos;
    })) << Output();
    ASSERT_TRUE(WaitFor([&] { return BenchLog().find("lumo open") != std::string::npos; }));

    tOtherXApplication other;
    ASSERT_TRUE(other.Open());
    const std::string file = Prog("DAT/Device1.txt");
    std::vector<double> latencies;
    for (int press = 1; press <= 5; ++press) {
        const auto pressed = Clock::now();
        ASSERT_TRUE(other.Type(XK_F2));
        ASSERT_TRUE(WaitFor([&] { return CountOf(ReadText(file), "\r\n") == press; }))
            << "press " << press << "\n"
            << BenchLog() << Output();
        latencies.push_back(Ms(Clock::now() - pressed));
        // The next press after the gauge's state settled.
        ASSERT_TRUE(WaitFor([&] { return CountOf(Output(), "-> text file") == press; }));
    }
    EXPECT_TRUE(program.Running());
    EXPECT_EQ(ReadText(file).substr(0, 12), "+0001.1111\r\n");
    EXPECT_EQ(other.KeyPressesReceived(), 5) << "the keys reached the window they were typed in";
    const std::vector<int> pulses = Pulses("lumo");
    ASSERT_EQ(pulses.size(), 5u) << BenchLog();
    for (int ms : pulses) {
        EXPECT_GE(ms, 90);
        EXPECT_LE(ms, 400) << "about 100 ms even on a loaded machine";
    }
    std::sort(latencies.begin(), latencies.end());
    std::printf(
        "[ figures ] start to ready %.0f ms; F2 press to value in the text file: "
        "median %.0f ms, max %.0f ms (5 presses; includes the 100 ms pulse and the "
        "gauge's 30 ms answer delay); pulses %d..%d ms\n",
        readyMs, latencies[2], latencies.back(), *std::min_element(pulses.begin(), pulses.end()),
        *std::max_element(pulses.begin(), pulses.end()));
    for (double ms : latencies) EXPECT_LT(ms, 1000.0) << "within a second";
}

TEST_F(ProgramTest, ASwitchCableWithCycleTwoRequestsItsGaugeOnEverySecondPress) {
    // One USB cable is taken per search: here the switch cable, with a gauge on COM1.
    Bench("remove lumo");
    Bench("cable switch serial=TV000001 desc=TV-I pins=0x20");
    Bench("port COM1");
    Bench("gauge COM1 answer=\"+0002.2222 mm\\r\" delay=30");
    const std::string file = Prog("DAT/com1.txt");
    WriteConfig(
        "[TV-I TV000001]\r\nSchalterCycleCount=2\r\n[COM_1]\r\nDeviceDescription=Lumo\r\n"
        "AnforderType=2\r\nAnforderSerNrTVI=TV000001\r\nAnforderCycle=1\r\n"
        "AnforderCycleIdx=2\r\nMwZielAppl=2\r\nMwTxtZielFile=" +
        file + "\r\n");
    Start();
    ASSERT_TRUE(WaitReady()) << Output();
    ASSERT_TRUE(WaitFor([&] { return BenchLog().find("switch open") != std::string::npos; }));
    // Each press is held until the program has seen it, and so is each release.
    const auto seen = [&](const char* state, int count) {
        return WaitFor([&] { return CountOf(Output(), std::string(": ") + state) == count; });
    };
    for (int press = 1; press <= 4; ++press) {
        Bench("press switch");
        ASSERT_TRUE(seen("ON ", press)) << "press " << press << "\n" << BenchLog() << Output();
        Bench("release switch");
        ASSERT_TRUE(seen("OFF", press)) << "release " << press << "\n" << BenchLog() << Output();
        if (press % 2 == 0) {
            ASSERT_TRUE(WaitFor([&] { return CountOf(ReadText(file), "\r\n") == press / 2; }))
                << "press " << press << "\n"
                << BenchLog() << Output();
        }
    }
    EXPECT_EQ(Pulses("COM1").size(), 2u) << BenchLog();
    EXPECT_EQ(ReadText(file), "+0002.2222\r\n+0002.2222\r\n");
}

TEST_F(ProgramTest, ASecondStartEndsAtOnceAndAKilledFirstDoesNotBlockTheNext) {
    WriteConfig(kLumoOnF2);
    TChildProcess& first = Start();
    ASSERT_TRUE(WaitReady(0)) << Output(0);
    const auto started = Clock::now();
    TChildProcess& second = Start();
    EXPECT_EQ(second.WaitForExit(kWait), 0);
    const double secondMs = Ms(Clock::now() - started);
    EXPECT_TRUE(first.Running());
    EXPECT_EQ(Output(1), "");

    // A first instance killed outright leaves its lock file and socket behind.
    first.Signal(SIGKILL);
    ASSERT_TRUE(WaitFor([&] { return !first.Running(); }));
    ASSERT_TRUE(fs::exists(dir_ / "rt" / "LonvarStd.lock"));
    TChildProcess& third = Start();
    EXPECT_TRUE(WaitReady(2)) << Output(2);
    EXPECT_TRUE(third.Running());
    std::printf("[ figures ] a second start ended after %.0f ms\n", secondMs);
}

TEST_F(ProgramTest, TheInitRunOpensAndClosesEveryDeviceAndEndsByItself) {
    Bench("port COM1");
    Bench("gauge COM1");
    WriteConfig("[COM_1]\r\nDeviceDescription=Lumo\r\n");
    const auto started = Clock::now();
    TChildProcess& program = Start({"I"});
    EXPECT_EQ(program.WaitForExit(kWait), 0) << Output();
    const double ms = Ms(Clock::now() - started);
    const std::string log = BenchLog();
    // Opened once with their settings (the COM port's search test opens it too) and closed.
    for (const char* event : {"lumo open", "lumo close", "COM1 dtr 1"}) {
        EXPECT_EQ(CountOf(log, event), 1) << event << "\n" << log;
    }
    EXPECT_EQ(CountOf(log, "pulse"), 0);
    EXPECT_GT(ms, 1500.0);
    std::printf("[ figures ] the init run ended by itself after %.0f ms\n", ms);
}

TEST_F(ProgramTest, SwitchDLoadsNoHookSoF2RequestsNothing) {
    WriteConfig(kLumoOnF2);
    Start({"D"});
    ASSERT_TRUE(WaitReady()) << Output();
    EXPECT_EQ(Output().find("keyboard hook"), std::string::npos) << Output();
    tOtherXApplication other;
    ASSERT_TRUE(other.Type(XK_F2));
    std::this_thread::sleep_for(1500ms);
    EXPECT_EQ(Pulses("lumo").size(), 0u);
}

TEST_F(ProgramTest, ClosingWithoutTheMainWindowAsksNothingAndKeepsSettingsAndPlacement) {
    WriteConfig(kLumoOnF2);
    TChildProcess& program = Start();
    ASSERT_TRUE(WaitReady()) << Output();
    ASSERT_TRUE(WaitFor([&] { return BenchLog().find("lumo open") != std::string::npos; }));
    program.Signal(SIGTERM);
    EXPECT_EQ(program.WaitForExit(kWait), 0) << "a question would hold the close";
    ExpectEndedInOrder();
}

TEST_F(ProgramTest, AnEndSignalWhileTheDeviceDialogIsOpenCancelsItAndEndsAsUsual) {
    WriteConfig(kLumoOnF2);
    TChildProcess& program = Start();
    ASSERT_TRUE(WaitReady()) << Output();
    Display* display = XOpenDisplay(nullptr);
    ASSERT_NE(display, nullptr);
    // The status window's double click shows the main window; Enter there edits the
    // selected device.
    Window status = 0;
    ASSERT_TRUE(WaitFor([&] { return (status = FindWindowTitled(display, "Lonvar")) != 0; }));
    DoubleClick(display, status);
    ASSERT_TRUE(WaitFor([&] { return FindWindowTitled(display, "(DEFAULT.TVC)") != 0; }));
    std::this_thread::sleep_for(300ms);  // until it has the focus
    const KeyCode enter = XKeysymToKeycode(display, XK_Return);
    XTestFakeKeyEvent(display, enter, True, CurrentTime);
    XTestFakeKeyEvent(display, enter, False, CurrentTime);
    XSync(display, False);
    ASSERT_TRUE(WaitFor([&] { return FindWindowTitled(display, "parametrieren") != 0; }))
        << Output();

    program.Signal(SIGTERM);
    EXPECT_EQ(program.WaitForExit(kWait), 0) << Output();
    XCloseDisplay(display);
    ExpectEndedInOrder();
}

TEST_F(ProgramTest, TheDisplayGoingAwayEndsTheProgramLikeAnEndSignal) {
    WriteConfig(kLumoOnF2);
    auto own = std::make_unique<TXvfbServer>();
    ASSERT_TRUE(own->Running());
    setenv("DISPLAY", own->Display().c_str(), 1);
    TChildProcess& program = Start();
    setenv("DISPLAY", server_->Display().c_str(), 1);
    ASSERT_TRUE(WaitReady()) << Output();
    ASSERT_TRUE(WaitFor([&] { return BenchLog().find("lumo open") != std::string::npos; }));

    own.reset();
    EXPECT_EQ(program.WaitForExit(kWait), 0) << Output();
    ExpectEndedInOrder();
}

}  // namespace

// No gauge bench: the program runs under the cable emulator (its own process), on an
// emulated FT232R gauge cable and an emulated COM1, through the real libusb, libftdi1
// and termios code.
class EmulatedDevicesProgramTest : public ProgramTest {
protected:
    void SetUp() override { PrepareProgramFolder(); }
    TChildProcess& StartOnEmulatedDevices() {
        const std::string out = (dir_ / "emulated.txt").string();
        programs_.push_back(std::make_unique<TChildProcess>(
            "/bin/sh",
            std::vector<std::string>{"-c", "exec \"$0\" \"$@\" </dev/null >" + out + " 2>&1",
                                     FTDIEMU_PROGRAM, "--gauge", "LU000001:Lumo", "--com", "ttyS0",
                                     "--", Prog("LonvarStd")},
            std::map<std::string, std::string>{{"XDG_RUNTIME_DIR", (dir_ / "rt").string()},
                                               {"QT_QPA_PLATFORM", "xcb"}}));
        outputs_.push_back(out);
        return *programs_.back();
    }
};

TEST_F(EmulatedDevicesProgramTest, RequestKeysBringValuesFromTheUsbGaugeAndCom1IntoTheirFiles) {
    const std::string usbFile = Prog("DAT/usb.txt"), comFile = Prog("DAT/com1.txt");
    WriteConfig(
        "[Lumo LU000001]\r\nDeviceName=Lumo F2\r\nAnforderType=1\r\n"
        "AnforderTasteKeyb=F2\r\nMwZielAppl=2\r\nMwTxtZielFile=" +
        usbFile +
        "\r\n[COM_1]\r\nDeviceDescription=Lumo\r\nDeviceName=Gauge F3\r\n"
        "AnforderType=1\r\nAnforderTasteKeyb=F3\r\nMwZielAppl=2\r\nMwTxtZielFile=" +
        comFile + "\r\n");
    TChildProcess& program = StartOnEmulatedDevices();
    ASSERT_TRUE(WaitReady()) << Output();
    tOtherXApplication other;
    ASSERT_TRUE(other.Open());
    std::vector<double> usbMs, comMs;
    for (int press = 1; press <= 3; ++press) {
        for (auto [key, file, ms] :
             {std::tuple{XK_F2, &usbFile, &usbMs}, std::tuple{XK_F3, &comFile, &comMs}}) {
            const auto pressed = Clock::now();
            ASSERT_TRUE(other.Type(key));
            ASSERT_TRUE(WaitFor([&] { return CountOf(ReadText(*file), "\r\n") == press; }))
                << "press " << press << " of " << *file << "\n"
                << Output();
            ms->push_back(Ms(Clock::now() - pressed));
        }
    }
    EXPECT_TRUE(program.Running());
    // The gauges change their last digit on every reading.
    EXPECT_EQ(ReadText(usbFile), "+0001.1111\r\n+0001.1112\r\n+0001.1113\r\n");
    EXPECT_EQ(ReadText(comFile), "+0002.2222\r\n+0002.2223\r\n+0002.2224\r\n");
    std::printf(
        "[ figures ] emulated devices, key press to value in the text file: USB gauge "
        "%.0f/%.0f/%.0f ms, COM1 gauge %.0f/%.0f/%.0f ms (each with the 100 ms pulse "
        "and the gauge's answer delay)\n",
        usbMs[0], usbMs[1], usbMs[2], comMs[0], comMs[1], comMs[2]);
}
