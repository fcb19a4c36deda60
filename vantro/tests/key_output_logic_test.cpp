// The choice of keystroke output, the wedge's own keymap, and the hot-key command's answers.

#include <gtest/gtest.h>
#include <xkbcommon/xkbcommon.h>

#include <QCoreApplication>
#include <QLocalServer>
#include <QLocalSocket>
#include <QTemporaryDir>
#include <set>
#include <thread>

#include "hotkey_command.h"
#include "key_routes.h"
#include "keystroke_keysyms.h"
#include "reading_keymap.h"

namespace {

using R = TKeyRoute;

TEST(KeyRoutes, TheSessionDecidesTheOrderAndTheSettingsOverride) {
    struct TCase {
        TSessionKind Session;
        TKeyRouteSettings Settings;
        std::vector<TKeyRoute> Order;
    };
    const TCase cases[] = {
        {{false, true}, {}, {R::X11}},
        // XWayland reaches only X programs: last on a Wayland session.
        {{true, true}, {}, {R::VirtualKeyboard, R::Portal, R::X11}},
        {{true, false}, {}, {R::VirtualKeyboard, R::Portal}},
        {{true, false}, {0, true}, {R::VirtualKeyboard, R::Portal, R::Uinput}},
        {{false, false}, {0, true}, {R::Uinput}},
        {{false, false}, {}, {R::X11}},  // says why nothing types rather than stay silent
        {{true, true}, {1, false}, {R::X11}},
        {{false, true}, {2, false}, {R::VirtualKeyboard}},
        {{false, true}, {4, false}, {R::Uinput}},
        {{true, false}, {9, false}, {R::VirtualKeyboard, R::Portal}},
    };
    for (const TCase& c : cases) {
        EXPECT_EQ(KeyRouteOrder(c.Session, c.Settings), c.Order)
            << c.Session.Wayland << c.Session.X11 << " " << c.Settings.KeyOutput;
    }
    EXPECT_EQ(DescribeKeyRoutes({{R::VirtualKeyboard, false, "not offered"}, {R::X11, true, ""}}),
              "typing through X11 (XTest); tried: Wayland virtual keyboard (not offered)");
    EXPECT_EQ(DescribeKeyRoutes({{R::X11, false, "no X display"}}),
              "nothing can be typed; tried: X11 (XTest) (no X display)");
}

// What a compositor makes of the keymap is what arrives: every key of a reading and of
// every postamble gives its own keysym on level one, and nothing else is on it.
TEST(ReadingKeymap, EveryReadingKeyGivesItsKeysymAndNothingElseIsMapped) {
    xkb_context* context = xkb_context_new(XKB_CONTEXT_NO_DEFAULT_INCLUDES);
    ASSERT_NE(context, nullptr);
    const std::string text = ReadingKeymapText();
    xkb_keymap* keymap = xkb_keymap_new_from_string(
        context, text.c_str(), XKB_KEYMAP_FORMAT_TEXT_V1, XKB_KEYMAP_COMPILE_NO_FLAGS);
    ASSERT_NE(keymap, nullptr) << text;
    xkb_state* state = xkb_state_new(keymap);
    std::vector<TKeystroke> keys;
    for (char32_t ch : std::u32string(U"0123456789-+.,")) keys.push_back({TNamedKey::Plain, ch});
    for (TNamedKey named : {TNamedKey::Enter, TNamedKey::Tab, TNamedKey::Down, TNamedKey::Right,
                            TNamedKey::Left, TNamedKey::Up}) {
        keys.push_back({named, 0});
    }
    std::set<std::uint32_t> codes;
    for (const TKeystroke& key : keys) {
        const std::uint32_t keysym = KeysymForKeystroke(key);
        const auto code = ReadingKeyCode(keysym);
        ASSERT_TRUE(code) << DescribeKeystrokes({key});
        EXPECT_EQ(xkb_state_key_get_one_sym(state, *code + 8), keysym) << DescribeKeystrokes({key});
        codes.insert(*code);
    }
    EXPECT_EQ(codes.size(), keys.size()) << "one key each";
    int mapped = 0;
    for (xkb_keycode_t code = xkb_keymap_min_keycode(keymap);
         code <= xkb_keymap_max_keycode(keymap); ++code) {
        mapped += xkb_state_key_get_one_sym(state, code) != XKB_KEY_NoSymbol ? 1 : 0;
    }
    EXPECT_EQ(mapped, int(keys.size()));
    EXPECT_FALSE(ReadingKeyCode('a'));
    xkb_state_unref(state);
    xkb_keymap_unref(keymap);
    xkb_context_unref(context);
}

TEST(HotKeyCommand, AnswersForEveryWayItCanGo) {
    EXPECT_EQ(HotKeyCodeOf("f10"), 121);
    EXPECT_EQ(HotKeyCodeOf("F12"), 0);
    std::string name;
    EXPECT_TRUE(IsHotKeyCommand({"-x", "--hotkey", "F11"}, name));
    EXPECT_EQ(name, "F11");
    EXPECT_TRUE(IsHotKeyCommand({"--hotkey"}, name));
    EXPECT_EQ(name, "");

    QTemporaryDir dir;
    const std::string path = (dir.path() + QStringLiteral("/Vantro.socket")).toStdString();
    std::string message;
    EXPECT_EQ(SendHotKey(path, "F9", message), HotKeyNoInstance);
    EXPECT_EQ(message, "Vantro is not running; nothing requested");
    EXPECT_EQ(SendHotKey(path, "Enter", message), HotKeyBadKey);
    EXPECT_EQ(message, "\"Enter\" is not a hot key; valid keys: F9, F10, F11");

    // An instance that gives a reason: the user reads it.
    int argc = 0;
    QCoreApplication app(argc, nullptr);
    QLocalServer server;
    ASSERT_TRUE(server.listen(QString::fromStdString(path)));
    std::thread instance([&server] {
        ASSERT_TRUE(server.waitForNewConnection(5000));
        QLocalSocket* client = server.nextPendingConnection();
        while (!client->canReadLine()) ASSERT_TRUE(client->waitForReadyRead(5000));
        std::string key;
        EXPECT_TRUE(ParseHotKeyRequestLine(client->readLine().trimmed().toStdString(), key));
        EXPECT_EQ(key, "F10");
        client->write("the port is closed; nothing requested\n");
        client->waitForBytesWritten(5000);
        client->disconnectFromServer();
        delete client;  // made on this thread: the server cannot own it
    });
    EXPECT_EQ(SendHotKey(path, "f10", message), HotKeyNotTaken);
    instance.join();
    EXPECT_EQ(message, "Vantro did not take F10: the port is closed; nothing requested");
}

}  // namespace
