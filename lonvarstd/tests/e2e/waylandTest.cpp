// LonvarStd on a Wayland session: a real sway on its headless back end, the program and
// the gauge bench as the session's clients (no X server anywhere). F2 pressed on a
// virtual keyboard while a Wayland terminal has the focus fires the compositor's
// binding `LonvarStd --request F2`; the gauge is asked and its value lands in the text
// file. A burst of requests from the command line reaches the program once each.

#include <gtest/gtest.h>

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
#include <vector>

#include "bench/bench_link.h"
#include "child_process.h"
#include "e2eProgramFolder.h"
#include "e2eWait.h"
#include "sway_session.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr auto kWait = 30s;

using e2e::CountOf;
using e2e::ReadText;

bool WaitFor(const std::function<bool()>& done, std::chrono::milliseconds timeout = kWait) {
    return e2e::WaitFor(done, timeout);
}

class WaylandProgramTest : public ::testing::Test {
protected:
    void SetUp() override {
        // The program folder is the test's; the session's home takes the outputs.
        std::string pattern = (fs::temp_directory_path() / "lonvarstd-wayland-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        dir_ = pattern;
        fs::permissions(dir_, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                  fs::perms::others_read | fs::perms::others_exec);
        sway_ = std::make_unique<TSwaySession>(
            std::vector<std::string>{"bindsym F2 exec " + Prog("LonvarStd") + " --request F2 2>>" +
                                     (dir_ / "binding.txt").string()});
        ASSERT_TRUE(sway_->Running());
        e2e::MakeLumoF2ProgramFolder(dir_);
        for (const auto& entry : fs::recursive_directory_iterator(dir_)) {
            ASSERT_TRUE(sway_->GiveToUser(entry.path().string()));
        }
        ASSERT_TRUE(sway_->GiveToUser(dir_.string()));

        const std::string socket = Home("bench.sock");
        bench_ = sway_->Start(GAUGEBENCH_PROGRAM, {"--empty", "--socket", socket});
        link_ = e2e::ConnectBench(socket);
        ASSERT_NE(link_, nullptr);
        Bench("cable lumo serial=LU000001 desc=Lumo");
        Bench("gauge lumo answer=\"+0001.1111 mm\\r\" delay=30 vary=1");

        program_ = Start(Prog("LonvarStd"), {}, Home("out.txt"), {{"TAVRIX_BENCH", socket}});
        ASSERT_TRUE(WaitFor([&] { return Output().find("ready:") != std::string::npos; }))
            << Output();
        ASSERT_TRUE(WaitFor([&] { return BenchLog().find("lumo open") != std::string::npos; }));
    }
    void TearDown() override {
        program_.reset();
        link_.reset();
        bench_.reset();
        sway_.reset();
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }

    // A client of the session whose output (stdout and stderr) goes to `out`.
    std::unique_ptr<TChildProcess> Start(const std::string& program,
                                         std::vector<std::string> arguments, const std::string& out,
                                         const std::map<std::string, std::string>& extra = {}) {
        arguments.insert(arguments.begin(),
                         {"-c", "exec \"$0\" \"$@\" >>" + out + " 2>&1", program});
        return sway_->Start("/bin/sh", arguments, extra);
    }
    std::string Home(const std::string& name) const { return sway_->Home() + "/" + name; }
    std::string Prog(const std::string& name) const { return (dir_ / name).string(); }
    std::string Output() const { return ReadText(Home("out.txt")); }
    tavrix::bench::Reply Bench(const std::string& line) {
        tavrix::bench::Reply reply;
        EXPECT_TRUE(link_->call(line, reply)) << line;
        return reply;
    }
    std::string BenchLog() {
        std::string text;
        for (const std::string& line : Bench("log").lines) text += line + "\n";
        return text;
    }
    std::string Tree() {
        fs::remove(Home("tree.txt"));
        Start("swaymsg", {"-r", "-t", "get_tree"}, Home("tree.txt"))->WaitForExit(10s);
        return ReadText(Home("tree.txt"));
    }

    fs::path dir_;
    std::unique_ptr<TSwaySession> sway_;
    std::unique_ptr<TChildProcess> bench_;
    std::unique_ptr<tavrix::bench::BenchLink> link_;
    std::unique_ptr<TChildProcess> program_;
};

TEST_F(WaylandProgramTest, F2PressedInAWaylandWindowFiresTheBindingAndTheValueLandsInTheFile) {
    // No portal here: the message about unwatched keys comes first (a window of its own),
    // then a native Wayland terminal takes the focus, as the spreadsheet would (with a
    // command of its own: the session's user has no login shell).
    ASSERT_TRUE(WaitFor([&] { return CountOf(Tree(), "\"app_id\": \"LonvarStd\"") >= 2; }))
        << Tree();
    auto terminal = Start("foot", {"sleep", "300"}, Home("foot.txt"));
    ASSERT_TRUE(WaitFor([&] {
        return sway_->Swaymsg({"[app_id=foot con_id=__focused__] nop"}) == 0;
    })) << ReadText(Home("foot.txt"))
        << Tree();
    const std::string tree = Tree();
    // The program's own windows are Wayland clients too: no X server is there.
    EXPECT_NE(tree.find("\"app_id\": \"LonvarStd\""), std::string::npos) << tree;
    EXPECT_EQ(tree.find("\"shell\": \"xwayland\""), std::string::npos) << tree;
    EXPECT_NE(Output().find("request keys: command line"), std::string::npos) << Output();

    const std::string file = Prog("DAT/Device1.txt");
    for (int press = 1; press <= 3; ++press) {
        ASSERT_EQ(sway_->Start("wtype", {"-k", "F2"})->WaitForExit(kWait), 0);
        ASSERT_TRUE(WaitFor([&] { return CountOf(ReadText(file), "\r\n") == press; }))
            << "press " << press << "\n"
            << Output() << ReadText(dir_ / "binding.txt") << BenchLog();
        ASSERT_TRUE(WaitFor([&] { return CountOf(Output(), "-> text file") == press; }));
    }
    EXPECT_EQ(CountOf(Output(), "F2 from the command line: requested"), 3) << Output();
    EXPECT_EQ(ReadText(file).substr(0, 12), "+0001.1111\r\n");
    EXPECT_EQ(ReadText(dir_ / "binding.txt"), "") << "every request was taken";
}

TEST_F(WaylandProgramTest, ABurstOfFiftyRequestsReachesTheProgramOnceEach) {
    std::vector<std::unique_ptr<TChildProcess>> requests;
    const auto started = Clock::now();
    for (int i = 0; i < 50; ++i) {
        requests.push_back(
            Start(Prog("LonvarStd"), {"--request", i % 2 ? "F2" : "f2"}, Home("burst.txt")));
    }
    int taken = 0;
    for (auto& request : requests) taken += request->WaitForExit(kWait) == 0 ? 1 : 0;
    const double ms = std::chrono::duration<double, std::milli>(Clock::now() - started).count();
    EXPECT_EQ(taken, 50) << ReadText(Home("burst.txt"));
    ASSERT_TRUE(WaitFor([&] { return CountOf(Output(), "F2 from the command line") >= 50; }))
        << Output();
    std::this_thread::sleep_for(300ms);
    EXPECT_EQ(CountOf(Output(), "F2 from the command line"), 50) << "none doubled";
    EXPECT_GE(CountOf(BenchLog(), "lumo pulse dtr"), 1);
    std::printf("[ figures ] 50 concurrent request commands ended after %.0f ms\n", ms);
}

}  // namespace
