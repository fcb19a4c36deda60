// LonvarStd on KWin with the desktop's real portals (headless, no X server): the program
// binds its request key through the GlobalShortcuts portal, and the shortcut's activation
// requests a reading that lands in the text file.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "bench/bench_link.h"
#include "e2eProgramFolder.h"
#include "e2eWait.h"
#include "kwin_session.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using e2e::CountOf;
using e2e::ReadText;
using e2e::WaitFor;

TEST(KWinPortal, TheRequestKeyIsBoundThroughThePortalAndItsActivationBringsAReading) {
    TKWinSession kwin("us");
    ASSERT_TRUE(kwin.Running()) << kwin.Problem();
    const fs::path prog = kwin.Home() + "/program";
    e2e::MakeLumoF2ProgramFolder(prog);
    ASSERT_TRUE(kwin.GiveToUser(prog.string()));
    for (const auto& entry : fs::recursive_directory_iterator(prog)) {
        ASSERT_TRUE(kwin.GiveToUser(entry.path().string()));
    }

    const std::string socket = kwin.Home() + "/bench.sock";
    auto bench = kwin.Start(GAUGEBENCH_PROGRAM, {"--empty", "--socket", socket});
    auto link = e2e::ConnectBench(socket);
    ASSERT_NE(link, nullptr);
    tavrix::bench::Reply reply;
    ASSERT_TRUE(link->call("cable lumo serial=LU000001 desc=Lumo", reply));
    ASSERT_TRUE(link->call("gauge lumo answer=\"+0001.1111 mm\\r\" delay=5", reply));

    const std::string out = kwin.Home() + "/out.txt";
    auto program = kwin.Start(
        "/bin/sh", {"-c", "exec \"$0\" >>" + out + " 2>&1", (prog / "LonvarStd").string()},
        {{"TAVRIX_BENCH", socket}});
    ASSERT_TRUE(
        WaitFor([&] { return ReadText(out).find("desktop portal,") != std::string::npos; }, 30s))
        << ReadText(out);

    // KDE keeps the binding under the session token; invoking it is what a press does.
    const fs::path file = prog / "DAT/Device1.txt";
    for (int press = 1; press <= 2; ++press) {
        ASSERT_EQ(
            kwin.Run("gdbus", {"call", "--session", "--dest", "org.kde.kglobalaccel",
                               "--object-path", "/component/lonvarstd", "--method",
                               "org.kde.kglobalaccel.Component.invokeShortcut", "request-F2"}),
            0)
            << ReadText(out);
        ASSERT_TRUE(WaitFor([&] { return CountOf(ReadText(file), "\r\n") == press; }, 30s))
            << ReadText(out);
    }
    EXPECT_EQ(CountOf(ReadText(out), "F2 from the portal: requested"), 2) << ReadText(out);
    program.reset();
    link.reset();
    bench.reset();
}

}  // namespace
