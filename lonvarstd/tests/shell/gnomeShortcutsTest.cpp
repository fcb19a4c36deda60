// GNOME's shortcut settings in a real settings store: gsettings and dconf with a profile,
// a session bus and folders of the test's own; the user's own shortcut stays as it was.

#include <gtest/gtest.h>
#include <stdio.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "privateSessionBus.h"
#include "shell/gnomeShortcuts.h"
#include "shell/requestCommand.h"
#include "tests/support/temp_folder.h"

namespace {

namespace fs = std::filesystem;

const std::string kList = "org.gnome.settings-daemon.plugins.media-keys custom-keybindings";
const std::string kEntry = "org.gnome.settings-daemon.plugins.media-keys.custom-keybinding:";
const std::string kBase = "/org/gnome/settings-daemon/plugins/media-keys/custom-keybindings/";

std::string Shell(const std::string& command) {
    std::string out;
    if (FILE* pipe = popen((command + " 2>&1").c_str(), "r")) {
        char buffer[512];
        while (fgets(buffer, sizeof buffer, pipe) != nullptr) out += buffer;
        pclose(pipe);
    }
    while (!out.empty() && out.back() == '\n') out.pop_back();
    return out;
}

std::string Get(const std::string& path, const std::string& key) {
    return Shell("gsettings get " + kEntry + path + " " + key);
}

class GnomeShortcutsTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(dir_ / "config");
        fs::create_directories(dir_ / "run");
        fs::permissions(dir_ / "run", fs::perms::owner_all);
        std::ofstream(dir_ / "profile") << "user-db:user\n";
        const std::map<std::string, std::string> environment = {
            {"XDG_CONFIG_HOME", (dir_ / "config").string()},
            {"XDG_RUNTIME_DIR", (dir_ / "run").string()},
            {"DCONF_PROFILE", (dir_ / "profile").string()},
            {"GSETTINGS_BACKEND", "dconf"},
            {"XDG_CURRENT_DESKTOP", "ubuntu:GNOME"}};
        bus_ = std::make_unique<tPrivateSessionBus>(true, environment);
        ASSERT_TRUE(bus_->Running());
        auto set = [this](const std::string& name, const std::string& value) {
            const char* old = getenv(name.c_str());
            saved_.emplace(name, old != nullptr ? old : "");
            setenv(name.c_str(), value.c_str(), 1);
        };
        for (const auto& [name, value] : environment) set(name, value);
        set("DBUS_SESSION_BUS_ADDRESS", bus_->Address());
    }
    void TearDown() override {
        for (const auto& [name, value] : saved_) {
            if (value.empty()) {
                unsetenv(name.c_str());
            } else {
                setenv(name.c_str(), value.c_str(), 1);
            }
        }
        bus_.reset();
    }

    TempFolder scratch_;
    const fs::path dir_ = scratch_.path();
    std::unique_ptr<tPrivateSessionBus> bus_;
    std::map<std::string, std::string> saved_;
};

TEST_F(GnomeShortcutsTest, WrittenListedReplacedAndRemovedWithTheUsersOwnUntouched) {
    if (Shell("gsettings list-keys " + kList.substr(0, kList.find(' ')))
            .find("custom-keybindings") == std::string::npos) {
        GTEST_SKIP() << "GNOME's shortcut schema is not installed (gnome-settings-daemon-common)";
    }
    ASSERT_TRUE(GnomeShortcutsAvailable());
    const std::string own = kBase + "custom0/";
    Shell("gsettings set " + kEntry + own + " name 'Terminal'");
    Shell("gsettings set " + kEntry + own + " command 'foot'");
    Shell("gsettings set " + kEntry + own + " binding '<Super>t'");
    Shell("gsettings set " + kList + " \"['" + own + "']\"");

    const std::string program = "/opt/my tools/Lonvar'Std";
    std::string error;
    const std::uint16_t F2 = RequestKeyCode("F2"), F3 = RequestKeyCode("F3"),
                        F4 = RequestKeyCode("F4");
    ASSERT_TRUE(SetGnomeShortcuts({F2, F3}, program, error)) << error;
    EXPECT_EQ(Shell("gsettings get " + kList),
              "['" + own + "', '" + kBase + "lonvarstd-f2/', '" + kBase + "lonvarstd-f3/']");
    EXPECT_EQ(Get(kBase + "lonvarstd-f2/", "binding"), "'F2'");
    EXPECT_EQ(Get(kBase + "lonvarstd-f3/", "command"),
              "\"'/opt/my tools/Lonvar'\\\\''Std' --request F3\"");
    EXPECT_EQ(GnomeShortcutsOfOurs(), (std::vector<std::uint16_t>{F2, F3}));

    // Another key set replaces ours; what is left of F2 and F3 goes with them.
    ASSERT_TRUE(SetGnomeShortcuts({F4}, program, error)) << error;
    EXPECT_EQ(Shell("gsettings get " + kList), "['" + own + "', '" + kBase + "lonvarstd-f4/']");
    EXPECT_EQ(Get(kBase + "lonvarstd-f2/", "binding"), "''");

    ASSERT_TRUE(RemoveGnomeShortcuts(error)) << error;
    EXPECT_EQ(Shell("gsettings get " + kList), "['" + own + "']");
    EXPECT_TRUE(GnomeShortcutsOfOurs().empty());
    EXPECT_EQ(Shell("dconf dump " + kBase),
              "[custom0]\nbinding='<Super>t'\ncommand='foot'\nname='Terminal'");

    setenv("XDG_CURRENT_DESKTOP", "KDE", 1);
    EXPECT_FALSE(GnomeShortcutsAvailable());
}

}  // namespace
