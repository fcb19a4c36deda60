// The portal client against a stand-in portal on a private session bus: python3-dbusmock
// with a template that follows the published GlobalShortcuts interface (a real portal
// with a desktop behind it does not run headless here).

#include <gtest/gtest.h>
#include <unistd.h>

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QTest>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "child_process.h"
#include "file_text.h"
#include "privateSessionBus.h"
#include "shell/globalShortcuts.h"
#include "shell/requestCommand.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr int kWaitMs = 10000;
const std::uint16_t F2 = RequestKeyCode("F2");
const std::uint16_t F3 = RequestKeyCode("F3");
const std::uint16_t F4 = RequestKeyCode("F4");

class GlobalShortcutsTest : public ::testing::Test {
protected:
    void SetUp() override {
        bus_ = std::make_unique<tPrivateSessionBus>(false);
        ASSERT_TRUE(bus_->Running());
        dir_ = bus_->Folder();
        address_ = bus_->Address();
    }
    void TearDown() override {
        shortcuts_.reset();
        QDBusConnection::disconnectFromBus(busName_);
        portal_.reset();
        bus_.reset();
    }

    // The stand-in portal with these template parameters (JSON); "" for none at all.
    void Start(const std::string& parameters) {
        if (!parameters.empty()) {
            portal_ = std::make_unique<TChildProcess>(
                "/usr/bin/python3",
                std::vector<std::string>{"-m", "dbusmock", "--template", TAVRIX_PORTAL_TEMPLATE,
                                         "-l", (dir_ / "calls.log").string(), "-p", parameters},
                std::map<std::string, std::string>{{"DBUS_SESSION_BUS_ADDRESS", address_}});
        }
        QDBusConnection bus =
            QDBusConnection::connectToBus(QString::fromStdString(address_), busName_);
        ASSERT_TRUE(bus.isConnected());
        if (!parameters.empty()) {
            ASSERT_TRUE(QTest::qWaitFor(
                [&] {
                    return bus.interface()->isServiceRegistered("org.freedesktop.portal.Desktop");
                },
                kWaitMs));
        }
        shortcuts_ = std::make_unique<tGlobalShortcuts>(bus);
        QObject::connect(shortcuts_.get(), &tGlobalShortcuts::KeyActivated,
                         [this](std::uint16_t key) { activated_.push_back(key); });
    }
    // Bind() asks at once; the state leaves "asking" with the portal's answer.
    bool Answered() {
        return QTest::qWaitFor([&] { return shortcuts_->State() != tPortalState::Asking; },
                               kWaitMs);
    }
    // The portal's Activated for a shortcut of the client's session.
    void Press(const QString& id, const QString& session = {}) {
        QDBusConnection bus(busName_);
        QString sender = bus.baseService().mid(1).replace('.', '_');
        const QString path =
            session.isEmpty() ? "/org/freedesktop/portal/desktop/session/" + sender + "/lonvarstd"
                              : session;
        QDBusMessage call = QDBusMessage::createMethodCall(
            "org.freedesktop.portal.Desktop", "/org/freedesktop/portal/desktop",
            "org.freedesktop.DBus.Mock", "EmitSignal");
        call << QString("org.freedesktop.portal.GlobalShortcuts") << QString("Activated")
             << QString("osta{sv}")
             << QVariantList{QVariant::fromValue(QDBusObjectPath(path)), id,
                             QVariant::fromValue(qulonglong(0)), QVariantMap{}};
        const QDBusMessage reply = bus.call(call);
        ASSERT_NE(reply.type(), QDBusMessage::ErrorMessage) << reply.errorMessage().toStdString();
    }
    std::string Calls() { return FileText(dir_ / "calls.log"); }
    static int Count(const std::string& text, const std::string& part) {
        int n = 0;
        for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
        return n;
    }

    fs::path dir_;
    std::string address_;
    const QString busName_ = "portal-test";
    std::unique_ptr<tPrivateSessionBus> bus_;
    std::unique_ptr<TChildProcess> portal_;
    std::unique_ptr<tGlobalShortcuts> shortcuts_;
    std::vector<std::uint16_t> activated_;
};

TEST_F(GlobalShortcutsTest, TheAnswerOfEachKindOfPortalIsKeptAndARefusalIsNotAskedAgain) {
    struct tCase {
        std::string parameters;
        tPortalState state;
    };
    const std::vector<tCase> cases = {
        {R"({"version": 2})", tPortalState::Bound},
        // Plasma 5.27 binds only what CreateSession names.
        {R"({"version": 1})", tPortalState::Bound},
        // Before the registry existed the program needed none.
        {R"({"registry": false})", tPortalState::Bound},
        {R"({"answer": "refuse"})", tPortalState::Refused},
        {R"({"answer": "nothing"})", tPortalState::Refused},
        {"", tPortalState::Absent},
    };
    for (const tCase& c : cases) {
        TearDown();
        SetUp();
        Start(c.parameters);
        shortcuts_->Bind({F2, F3});
        ASSERT_TRUE(Answered()) << c.parameters;
        EXPECT_EQ(shortcuts_->State(), c.state) << c.parameters << Calls();
        if (c.state == tPortalState::Bound) {
            EXPECT_EQ(shortcuts_->BoundKeys(), (std::vector<std::uint16_t>{F2, F3}));
        } else {
            EXPECT_TRUE(shortcuts_->BoundKeys().empty()) << c.parameters;
        }
        if (c.state != tPortalState::Refused) continue;
        shortcuts_->Bind({F4});
        QTest::qWait(100);
        EXPECT_EQ(Count(Calls(), "CreateSession"), 1) << c.parameters << Calls();
        EXPECT_EQ(shortcuts_->State(), tPortalState::Refused);
    }
}

TEST_F(GlobalShortcutsTest, ActivationsBecomeKeysAndChangedKeysAreBoundAnew) {
    Start(R"({"version": 2})");
    shortcuts_->Bind({F2});
    ASSERT_TRUE(Answered());
    ASSERT_EQ(shortcuts_->State(), tPortalState::Bound) << Calls();
    const std::string calls = Calls();
    EXPECT_LT(calls.find("Register"), calls.find("CreateSession")) << calls;

    Press("request-F2");
    Press("request-F2", "/org/freedesktop/portal/desktop/session/other/lonvarstd");
    Press("request-F9");
    ASSERT_TRUE(QTest::qWaitFor([&] { return !activated_.empty(); }, kWaitMs));
    QTest::qWait(100);
    EXPECT_EQ(activated_, std::vector<std::uint16_t>{F2});

    // The device dialog gave the gauge F4: the old session goes, a new one binds F4.
    shortcuts_->Bind({F4});
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return shortcuts_->BoundKeys() == std::vector{F4}; }, kWaitMs))
        << Calls();
    EXPECT_EQ(Count(Calls(), "Close"), 1) << Calls();
    activated_.clear();
    Press("request-F2");
    Press("request-F4");
    ASSERT_TRUE(QTest::qWaitFor([&] { return !activated_.empty(); }, kWaitMs));
    QTest::qWait(100);
    EXPECT_EQ(activated_, std::vector<std::uint16_t>{F4});
}

}  // namespace
