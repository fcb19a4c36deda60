// The Vantro program itself under a real X server: start-up from stored settings, typing,
// the F9 hot key, a second start, and the exit that stores the settings.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <csignal>
#include <thread>

#include "child_process.h"
#include "key_recorder.h"
#include "pty_gauge.h"
#include "xvfb_server.h"

using namespace std::chrono_literals;

namespace {

constexpr auto kPatience = 30s;

void Breathe() {
    std::this_thread::sleep_for(2ms);
}

class WedgeProgramTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(Server.Running());
        ASSERT_TRUE(Home.isValid());
        Config = Home.path() + "/config";
        QDir().mkpath(Config + "/Vantro");
        QDir().mkpath(Home.path() + "/run");
        QFile::setPermissions(Home.path() + "/run",
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        Recorder = std::make_unique<TKeyRecorder>(Server.Display());
        ASSERT_TRUE(Recorder->Ready());
    }

    void StoreSettings(const std::string& lines) {
        QFile file(Config + "/Vantro/Vantro.conf");
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(("[Settings]\n" + lines).c_str());
    }
    QString StoredSetting(const char* name) {
        QSettings stored(Config + "/Vantro/Vantro.conf", QSettings::IniFormat);
        return stored.value(QStringLiteral("Settings/") + name).toString();
    }

    std::unique_ptr<TChildProcess> StartWedge() {
        return std::make_unique<TChildProcess>(
            VANTRO_PROGRAM, std::vector<std::string>{},
            std::map<std::string, std::string>{
                {"DISPLAY", Server.Display()},
                {"QT_QPA_PLATFORM", "xcb"},
                {"HOME", Home.path().toStdString()},
                {"XDG_CONFIG_HOME", Config.toStdString()},
                {"XDG_RUNTIME_DIR", (Home.path() + "/run").toStdString()},
                {"VANTRO_PORTS", "1=" + Gauge.DevicePath()},
            });
    }
    unsigned long WaitForWindow(const std::string& title) {
        unsigned long window = 0;
        Recorder->WaitFor([&] { return (window = Recorder->FindWindowByTitle(title)) != 0; },
                          kPatience, Breathe);
        return window;
    }

    TXvfbServer Server;
    QTemporaryDir Home;
    QString Config;
    TPtyGauge Gauge;
    std::unique_ptr<TKeyRecorder> Recorder;
};

}  // namespace

TEST_F(WedgeProgramTest, TypesAnswersF9RefusesASecondStartAndStoresAtExit) {
    StoreSettings("ComPort=1\nPostamble=1\nAutoLoad=1\nLanguage=1\n");
    auto wedge = StartWedge();
    ASSERT_TRUE(wedge->Started());
    const unsigned long window = WaitForWindow("Vantro (Active On COM1)");
    ASSERT_NE(window, 0u) << "the stored port was not opened at start-up";

    ASSERT_TRUE(Recorder->TakeFocus(kPatience, Breathe));
    Gauge.Send("-0012.345\r");
    ASSERT_TRUE(Recorder->WaitFor([&] { return Recorder->Text.size() >= 16; }, kPatience, Breathe));
    EXPECT_EQ(Recorder->Text, "-0012.345{ENTER}");

    Recorder->PressKey("F9");
    EXPECT_EQ(Gauge.Receive(2, kPatience), "?\r");

    auto second = StartWedge();
    ASSERT_TRUE(second->Started());
    EXPECT_EQ(second->WaitForExit(kPatience), std::optional<int>(0)) << "a second start must end";
    EXPECT_TRUE(wedge->Running());

    Recorder->RequestClose(window);
    ASSERT_EQ(wedge->WaitForExit(kPatience), std::optional<int>(0));
    EXPECT_EQ(StoredSetting("ComPort"), "1");
    EXPECT_EQ(StoredSetting("Postamble"), "1");
    EXPECT_EQ(StoredSetting("Language"), "1");
    EXPECT_EQ(StoredSetting("HideSettings"), "0");
    QFile entry(Config + "/autostart/Vantro.desktop");
    ASSERT_TRUE(entry.open(QIODevice::ReadOnly));
    EXPECT_TRUE(entry.readAll().contains(QByteArray("Exec=") + VANTRO_PROGRAM));
}

TEST_F(WedgeProgramTest, FirstStartShowsTheClosedPortAndStoresTheDefaults) {
    auto wedge = StartWedge();
    const unsigned long window = WaitForWindow("Vantro (Inactive)");
    ASSERT_NE(window, 0u);
    Recorder->RequestClose(window);
    ASSERT_EQ(wedge->WaitForExit(kPatience), std::optional<int>(0));
    for (const char* name : {"Language", "Beep", "CommaSeparator", "DuplexAdapter", "AutoLoad",
                             "NumericFilter", "Postamble", "ComPort", "HideSettings"}) {
        EXPECT_EQ(StoredSetting(name), "0") << name;
    }
    EXPECT_FALSE(QFile::exists(Config + "/autostart/Vantro.desktop"));
}

// Log-out sends SIGTERM: the wedge closes as by the user, stores its settings and lets the
// port go (another user's wedge could not remove a lock file left behind).
TEST_F(WedgeProgramTest, AnEndSignalClosesLikeTheUser) {
    StoreSettings("ComPort=1\nAutoLoad=1\nPostamble=3\n");
    auto wedge = StartWedge();
    ASSERT_NE(WaitForWindow("Vantro (Active On COM1)"), 0u);
    wedge->Signal(SIGTERM);
    ASSERT_EQ(wedge->WaitForExit(kPatience), std::optional<int>(0));
    EXPECT_EQ(StoredSetting("Postamble"), "3");
    EXPECT_TRUE(QFile::exists(Config + "/autostart/Vantro.desktop"));
    EXPECT_TRUE(
        QDir(QStringLiteral("/run/lock"))
            .entryList({QStringLiteral("LCK..") + QString::fromStdString(Gauge.DevicePath())
                                                      .mid(5)
                                                      .replace(QLatin1Char('/'), QLatin1Char('_'))})
            .isEmpty());
}
