// The Vantro program on KWin with the desktop's real portals (headless, no X server): it
// types through the RemoteDesktop portal by keysym into a native Wayland window under a
// German layout, and takes F9 through the GlobalShortcuts portal.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "file_text.h"
#include "kwin_session.h"
#include "pty_gauge.h"

using namespace std::chrono_literals;

namespace {

bool WaitFor(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(10ms);
    }
    return true;
}

// The keys of the key window's file after `from` bytes, as text.
std::string KeysAfter(const std::string& file, std::size_t from) {
    std::istringstream lines(FileText(file).substr(std::min(from, FileText(file).size())));
    std::string text;
    for (std::string line; std::getline(lines, line);) {
        const std::size_t blank = line.find(' ');
        if (blank != std::string::npos && !line.ends_with(" {FOCUS}"))
            text += line.substr(blank + 1);
    }
    return text;
}

TEST(KWinWedge, TypesThroughTheRemoteDesktopPortalAndTakesF9FromGlobalShortcuts) {
    TKWinSession kwin("de");
    ASSERT_TRUE(kwin.Running()) << kwin.Problem();
    TPtyGauge gauge;
    ASSERT_TRUE(kwin.GiveToUser(gauge.DevicePath()));
    const std::string config = kwin.Home() + "/.config/Vantro";
    std::filesystem::create_directories(config);
    std::ofstream(config + "/Vantro.conf")
        << "[Settings]\nComPort=1\nPostamble=1\nCommaSeparator=1\n";
    ASSERT_TRUE(kwin.GiveToUser(config) && kwin.GiveToUser(config + "/Vantro.conf"));

    const std::string out = kwin.Home() + "/wedge.txt";
    auto wedge = kwin.Start("/bin/sh", {"-c", "exec \"$0\" >>" + out + " 2>&1", VANTRO_PROGRAM},
                            {{"VANTRO_PORTS", "1=" + gauge.DevicePath()}});
    ASSERT_TRUE(WaitFor(
        [&] {
            const std::string told = FileText(out);
            return told.find("typing: RemoteDesktop portal") != std::string::npos &&
                   told.find("hot keys: portal") != std::string::npos;
        },
        30s))
        << FileText(out) << FileText(kwin.Home() + "/kwin.txt");

    // The key window comes last and takes the focus from the wedge.
    const std::string keys = kwin.Home() + "/keys.txt";
    auto window = kwin.Start(VANTRO_KEY_WINDOW, {keys});
    ASSERT_TRUE(WaitFor([&] { return FileText(keys).find("{FOCUS}") != std::string::npos; }, 30s));
    std::this_thread::sleep_for(300ms);

    const struct {
        const char* Line;
        const char* Typed;
    } readings[] = {{"-0012.345\r", "-0012,345{ENTER}"},
                    {"+7.5 mm\r", "+7,5{ENTER}"},
                    {"-1234567890.0123456789\r", "-1234567890,0123456789{ENTER}"}};
    for (const auto& reading : readings) {
        const std::size_t from = FileText(keys).size();
        gauge.Send(reading.Line);
        WaitFor([&] { return KeysAfter(keys, from).ends_with("{ENTER}"); }, 10s);
        EXPECT_EQ(KeysAfter(keys, from), reading.Typed) << FileText(out);
    }

    // KDE keeps the binding under the session token; invoking it is what a press does.
    ASSERT_EQ(kwin.Run("gdbus", {"call", "--session", "--dest", "org.kde.kglobalaccel",
                                 "--object-path", "/component/vantro_hot_keys", "--method",
                                 "org.kde.kglobalaccel.Component.invokeShortcut", "F9"}),
              0)
        << FileText(out);
    EXPECT_EQ(gauge.Receive(2, 10s), "?\r") << FileText(out);
}

}  // namespace
