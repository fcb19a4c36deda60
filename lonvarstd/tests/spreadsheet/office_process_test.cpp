#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/spreadsheet/office_options.h"
#include "platform/spreadsheet/office_process.h"
#include "tests/support/temp_folder.h"

namespace tavrix::spreadsheet {
namespace {

class ScratchDir : public ::testing::Test {
protected:
    TempFolder scratch;
    const std::filesystem::path dir = scratch.path();
};

TEST(OfficeOptions, FileUrlsEscapeWhatAUrlCannotCarry) {
    EXPECT_EQ(FileUrlOf("/tmp/plain-dir_1.x/~p"), "file:///tmp/plain-dir_1.x/~p");
    EXPECT_EQ(FileUrlOf("/home/a b/Prüfung#1%"), "file:///home/a%20b/Pr%C3%BCfung%231%25");
}

// A Wayland desktop without X must still get the office's windows, from a plug-in that can
// show them there; an X-only plug-in there, or no display at all, means headless.
TEST(OfficeOptions, WindowsOnlyWhereAPlugInCanShowThem) {
    struct Case {
        std::vector<std::string> plugins;
        bool x11, wayland, windows;
    } cases[] = {
        {{"gen"}, true, false, true},        {{"gtk3"}, false, true, true},
        {{"qt6", "gen"}, false, true, true}, {{"kf5"}, true, true, true},
        {{"gen"}, false, true, false},       {{"gtk3_kde5"}, false, true, false},
        {{"gtk3"}, false, false, false},     {{}, true, true, false},
    };
    for (const Case& c : cases) {
        SessionDisplays session;
        session.x11 = c.x11;
        session.wayland = c.wayland;
        EXPECT_EQ(OfficeCanShowWindows(c.plugins, session), c.windows)
            << ::testing::PrintToString(c.plugins) << " x11=" << c.x11 << " wayland=" << c.wayland;
    }
}

TEST_F(ScratchDir, PlugInsAreReadFromTheProgramFolderWithoutTheHeadlessOne) {
    for (const char* name : {"libvclplug_gtk3lo.so", "libvclplug_svplo.so", "libvcllo.so",
                             "libvclplug_lo.so", "libvclplug_genlo.so.bak"}) {
        std::ofstream(dir / name) << "";
    }
    EXPECT_EQ(OfficeWindowPlugins(dir.string()), std::vector<std::string>{"gtk3"});
    EXPECT_TRUE(OfficeWindowPlugins((dir / "missing").string()).empty());
}

TEST_F(ScratchDir, ProfileGetsItsLocaleOnceAndKeepsLaterSettings) {
    PrepareProfile((dir / "p").string(), "de-DE");
    const auto settings = dir / "p" / "user" / "registrymodifications.xcu";
    const std::string written = readBytes(settings);
    EXPECT_NE(written.find("ooSetupSystemLocale"), std::string::npos);
    EXPECT_NE(written.find("<value>de-DE</value>"), std::string::npos);

    // The office owns the file once it ran: a second preparation changes nothing.
    std::ofstream(settings) << "<oor:items/>";
    PrepareProfile((dir / "p").string(), "en-US");
    EXPECT_EQ(readBytes(settings), "<oor:items/>");

    PrepareProfile((dir / "q").string(), "");
    EXPECT_EQ(readBytes(dir / "q" / "user" / "registrymodifications.xcu").find("L10N"),
              std::string::npos);
}

// The launcher and the stop work on any program; a shell script stands in for the office.
TEST_F(ScratchDir, LaunchedProcessOutlivesNobodyAndIsStoppedByItsGroup) {
    const auto script = dir / "fake-office";
    std::ofstream(script) << "#!/bin/sh\nsleep 300 &\nwait\n";
    std::filesystem::permissions(script, std::filesystem::perms::owner_all);
    OfficeOptions options;
    options.sofficePath = script.string();
    options.pipeName = "unused";
    options.headless = true;

    const pid_t pid = LaunchOffice(options);
    ASSERT_GT(pid, 0);
    EXPECT_TRUE(ProcessAlive(pid));
    EXPECT_EQ(getpgid(pid), pid);  // a group of its own, so the stop reaches its children
    EXPECT_TRUE(StopProcessGroup(pid, 5000));
    EXPECT_FALSE(ProcessAlive(pid));
    EXPECT_EQ(kill(-pid, 0), -1);  // nothing of the group is left

    options.sofficePath = (dir / "missing").string();
    EXPECT_THROW(LaunchOffice(options), AutomationError);
}

}  // namespace
}  // namespace tavrix::spreadsheet
