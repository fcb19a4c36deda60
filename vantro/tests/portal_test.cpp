// The portal paths against a stand-in for the desktop portal that follows the published
// RemoteDesktop and GlobalShortcuts interfaces (portal_standin.py, run by python3-dbusmock
// on a session bus of the test's own): typing by keysym, the kept consent, a refusal,
// hot keys bound and pressed.

#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QTemporaryDir>
#include <filesystem>
#include <fstream>
#include <regex>
#include <thread>

#include "child_process.h"
#include "file_text.h"
#include "offscreen_app.h"
#include "portal_hot_keys.h"
#include "portal_keyboard_output.h"
#include "pty_gauge.h"

using namespace std::chrono_literals;

namespace {

// A session bus for the whole test program: Qt connects to it once.
class TPrivateBus : public ::testing::Environment {
public:
    void SetUp() override {
        ASSERT_TRUE(Dir.isValid());
        Address = "unix:path=" + Dir.path().toStdString() + "/bus";
        qputenv("DBUS_SESSION_BUS_ADDRESS", QByteArray::fromStdString(Address));
        // No service folders: the machine's own portal must not be started on demand.
        const std::string config = Dir.path().toStdString() + "/bus.conf";
        std::ofstream(config) << "<busconfig><type>session</type><listen>" << Address
                              << "</listen><auth>EXTERNAL</auth><policy context=\"default\">"
                                 "<allow send_destination=\"*\" eavesdrop=\"true\"/>"
                                 "<allow eavesdrop=\"true\"/><allow own=\"*\"/></policy>"
                                 "</busconfig>\n";
        Daemon = std::make_unique<TChildProcess>(
            "dbus-daemon", std::vector<std::string>{"--config-file=" + config, "--nofork"},
            std::map<std::string, std::string>{});
        // Qt tries the session bus once: only when the daemon listens.
        const std::string socket = Dir.path().toStdString() + "/bus";
        for (int i = 0; i < 500 && !std::filesystem::exists(socket); ++i) {
            std::this_thread::sleep_for(10ms);
        }
        ASSERT_TRUE(QDBusConnection::sessionBus().isConnected());
    }
    void TearDown() override { Daemon.reset(); }

    static inline QTemporaryDir Dir;
    static inline std::string Address;
    std::unique_ptr<TChildProcess> Daemon;
};

const auto* const kApp = ::testing::AddGlobalTestEnvironment(new TOffscreenApp);
const auto* const kBus = ::testing::AddGlobalTestEnvironment(new TPrivateBus);

// The stand-in with its parameters, and its call log.
class TPortalStandIn {
public:
    explicit TPortalStandIn(const std::string& parameters) {
        Log_ = TPrivateBus::Dir.path().toStdString() + "/calls" + std::to_string(++Count_);
        Mock_ = std::make_unique<TChildProcess>(
            "/usr/bin/python3",
            std::vector<std::string>{"-m", "dbusmock", "--session", "-t", VANTRO_PORTAL_STANDIN,
                                     "-l", Log_, "-p", parameters},
            std::map<std::string, std::string>{{"DBUS_SESSION_BUS_ADDRESS", TPrivateBus::Address}});
        Up = WaitUntil(
            [] {
                return QDBusConnection::sessionBus().interface()->isServiceRegistered(
                    QStringLiteral("org.freedesktop.portal.Desktop"));
            },
            20s);
    }
    ~TPortalStandIn() {
        Mock_.reset();
        WaitUntil(
            [] {
                return !QDBusConnection::sessionBus().interface()->isServiceRegistered(
                    QStringLiteral("org.freedesktop.portal.Desktop"));
            },
            10s);
    }
    std::string Calls() const { return FileText(Log_); }
    // "45 1, 45 0, ...": keysym and state of every NotifyKeyboardKeysym call.
    std::string Keysyms() const {
        std::string keys;
        const std::string calls = Calls();
        const std::regex call(R"(NotifyKeyboardKeysym "[^"]*" \{\} (\d+) (\d))");
        for (auto it = std::sregex_iterator(calls.begin(), calls.end(), call);
             it != std::sregex_iterator(); ++it) {
            if (!keys.empty()) keys += ", ";
            keys += (*it)[1].str() + " " + (*it)[2].str();
        }
        return keys;
    }
    void PressShortcut(const QString& id) {
        QDBusMessage press = QDBusMessage::createMethodCall(
            QStringLiteral("org.freedesktop.portal.Desktop"),
            QStringLiteral("/org/freedesktop/portal/desktop"),
            QStringLiteral("org.freedesktop.DBus.Mock"), QStringLiteral("PressShortcut"));
        press.setArguments({id});
        QDBusConnection::sessionBus().call(press);
    }

    bool Up = false;

private:
    static inline int Count_ = 0;
    std::string Log_;
    std::unique_ptr<TChildProcess> Mock_;
};

using TState = TPortalKeyboardOutput::TState;

TEST(PortalKeyboard, TypesEachKeyByKeysymAndKeepsTheConsentForTheNextStart) {
    QString token;
    {
        TPortalStandIn portal(R"({"restore_token": "token-1"})");
        ASSERT_TRUE(portal.Up);
        TPortalKeyboardOutput output;
        ASSERT_TRUE(output.Available()) << output.Problem().toStdString();
        output.OnRestoreToken = [&token](const QString& given) { token = given; };
        output.Start(QString());
        // A reading that comes while the desktop asks waits for its answer.
        output.SendKeys("-{+}12,5", false);
        output.SendKeys("{TAB}", true);
        ASSERT_TRUE(WaitUntil([&] { return output.State() == TState::Typing; }));
        ASSERT_TRUE(WaitUntil([&] { return portal.Keysyms().size() > 60; }));
        EXPECT_EQ(portal.Keysyms(),
                  "45 1, 45 0, 43 1, 43 0, 49 1, 49 0, 50 1, 50 0, 44 1, 44 0, 53 1, 53 0, "
                  "65289 1, 65289 0");
        EXPECT_NE(portal.Calls().find(R"("persist_mode": 2, "types": 1})"), std::string::npos)
            << portal.Calls();
        EXPECT_EQ(token, "token-1");
    }
    TPortalStandIn portal("{}");
    ASSERT_TRUE(portal.Up);
    TPortalKeyboardOutput output;
    output.Start(token);
    ASSERT_TRUE(WaitUntil([&] { return output.State() == TState::Typing; }));
    EXPECT_NE(portal.Calls().find(R"("restore_token": "token-1")"), std::string::npos)
        << portal.Calls();
}

TEST(PortalKeyboard, ARefusalIsToldAndNothingIsTyped) {
    TPortalStandIn portal(R"({"start_response": 1})");
    ASSERT_TRUE(portal.Up);
    TPortalKeyboardOutput output;
    QString told;
    output.OnStateChanged = [&told](TState, const QString& text) { told = text; };
    output.Start(QString());
    output.SendKeys("1.5{ENTER}", false);
    ASSERT_TRUE(WaitUntil([&] { return output.State() == TState::Refused; }));
    EXPECT_TRUE(told.contains(QStringLiteral("refused"))) << told.toStdString();
    output.SendKeys("2.5{ENTER}", true);
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(portal.Keysyms(), "");
}

TEST(PortalKeyboard, NoPortalOnTheBusIsNotOffered) {
    TPortalKeyboardOutput output;
    EXPECT_FALSE(output.Available());
    EXPECT_EQ(output.Problem().toStdString(), "not offered");
    TPortalHotKeys hotKeys;
    EXPECT_FALSE(hotKeys.Available());
}

TEST(PortalHotKeys, BoundKeysReachTheWedgeOnlyWhileRegistered) {
    TPortalStandIn portal("{}");
    ASSERT_TRUE(portal.Up);
    TPortalHotKeys hotKeys;
    ASSERT_TRUE(hotKeys.Available());
    QString told;
    hotKeys.OnStateChanged = [&told](TPortalHotKeys::TState, const QString& text) { told = text; };
    std::vector<int> pressed;
    hotKeys.OnHotKey = [&pressed](int id) { pressed.push_back(id); };
    hotKeys.Start();
    ASSERT_TRUE(WaitUntil([&] { return hotKeys.State() == TPortalHotKeys::TState::Bound; }));
    EXPECT_EQ(told.toStdString(), "portal (F9 on F9, F10 on F10, F11 on F11)");
    // The shortcuts go in both calls: some desktops read only the session's.
    const std::string calls = portal.Calls();
    const std::string created = calls.substr(calls.find("CreateSession"));
    EXPECT_NE(created.find(R"("shortcuts": [dbus.Struct((dbus.String('F9'))"), std::string::npos)
        << calls;
    EXPECT_NE(calls.find("BindShortcuts"), std::string::npos) << calls;

    ASSERT_TRUE(hotKeys.Register(0, 120, 0));
    ASSERT_TRUE(hotKeys.Register(2, 122, 0));
    hotKeys.Unregister(2);
    for (const char* id : {"F9", "F10", "F11", "F9"}) portal.PressShortcut(QString::fromLatin1(id));
    ASSERT_TRUE(WaitUntil([&] { return pressed.size() >= 2; }));
    std::this_thread::sleep_for(50ms);
    WaitUntil([] { return false; }, 50ms);
    EXPECT_EQ(pressed, (std::vector<int>{0, 0}));
}

TEST(PortalHotKeys, ADesktopThatBindsNothingIsTold) {
    TPortalStandIn portal(R"({"bind_nothing": true})");
    ASSERT_TRUE(portal.Up);
    TPortalHotKeys hotKeys;
    QString told;
    hotKeys.OnStateChanged = [&told](TPortalHotKeys::TState, const QString& text) { told = text; };
    hotKeys.Start();
    ASSERT_TRUE(WaitUntil([&] { return hotKeys.State() == TPortalHotKeys::TState::Refused; }));
    EXPECT_TRUE(told.contains(QStringLiteral("Vantro --hotkey F9"))) << told.toStdString();
    EXPECT_FALSE(hotKeys.Register(0, 120, 0));
}

// The program itself on a Wayland session whose compositor offers no virtual keyboard:
// it falls back to the portal, keeps the consent in its settings, and takes F9 from it.
TEST(PortalProgram, TheWedgeTypesThroughThePortalAndTakesItsHotKeys) {
    TPortalStandIn portal(R"({"restore_token": "token-2"})");
    ASSERT_TRUE(portal.Up);
    QTemporaryDir home;
    const std::string config = home.path().toStdString() + "/config";
    std::filesystem::create_directories(config + "/Vantro");
    std::filesystem::create_directories(home.path().toStdString() + "/run");
    std::filesystem::permissions(home.path().toStdString() + "/run",
                                 std::filesystem::perms::owner_all);
    std::ofstream(config + "/Vantro/Vantro.conf") << "[Settings]\nComPort=1\nPostamble=2\n";
    TPtyGauge gauge;
    TChildProcess wedge(VANTRO_PROGRAM, {},
                        {{"DBUS_SESSION_BUS_ADDRESS", TPrivateBus::Address},
                         // No window system activates the wedge's window: as with the
                         // focus in another program.
                         {"QT_QPA_PLATFORM", "minimal"},
                         {"WAYLAND_DISPLAY", "no-compositor"},
                         {"DISPLAY", ""},
                         {"HOME", home.path().toStdString()},
                         {"XDG_CONFIG_HOME", config},
                         {"XDG_RUNTIME_DIR", home.path().toStdString() + "/run"},
                         {"VANTRO_PORTS", "1=" + gauge.DevicePath()}});
    ASSERT_TRUE(WaitUntil(
        [&] {
            return portal.Calls().find("BindShortcuts") != std::string::npos &&
                   portal.Calls().find("Start ") != std::string::npos;
        },
        30s));
    std::this_thread::sleep_for(300ms);
    gauge.Send("-1.25\r");
    ASSERT_TRUE(WaitUntil([&] { return portal.Keysyms().ends_with("65289 0"); }, 10s))
        << portal.Calls();
    EXPECT_EQ(portal.Keysyms(),
              "45 1, 45 0, 49 1, 49 0, 46 1, 46 0, 50 1, 50 0, 53 1, 53 0, "
              "65289 1, 65289 0");
    portal.PressShortcut(QStringLiteral("F9"));
    EXPECT_EQ(gauge.Receive(2, 10s), "?\r");
    const std::string stored = FileText(config + "/Vantro/Vantro.conf");
    EXPECT_NE(stored.find("PortalRestoreToken=token-2"), std::string::npos) << stored;
}

}  // namespace
