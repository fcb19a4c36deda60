// The keyboard wedge: types readings from a gauge on a serial port into the focused window.

#include <QApplication>
#include <cstdio>

#include "compositor_keymap.h"
#include "end_signals.h"
#include "hotkey_command.h"
#include "key_routes.h"
#include "keyboard_output_choice.h"
#include "main_form.h"
#include "portal_hot_keys.h"
#include "portal_keyboard_output.h"
#include "settings_store.h"
#include "single_instance.h"
#include "x11_hot_keys.h"

namespace {

// `--hotkey <key>` runs before any window system is reached, so that it ends at once.
int HotKeyCommand(int argc, char* argv[], const std::string& name) {
    QCoreApplication app(argc, argv);
    std::string message;
    const THotKeyExit result =
        SendHotKey(TSingleInstance::SocketPath().toStdString(), name, message);
    if (!message.empty()) std::fprintf(stderr, "Vantro: %s\n", message.c_str());
    return result;
}

TSessionKind SessionFromEnvironment() {
    return {!qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"),
            !qEnvironmentVariableIsEmpty("DISPLAY")};
}

// The window goes where the typing goes: a Wayland window beside a Wayland output, an X
// window beside XTest, so that "the wedge itself is active" is seen by the same server.
void ChooseWindowSystem(const TSessionKind& session) {
    if (!qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) return;
    if (session.Wayland) {
        qputenv("QT_QPA_PLATFORM", "wayland");
    } else if (session.X11) {
        qputenv("QT_QPA_PLATFORM", "xcb");
    }
}

}  // namespace

int main(int argc, char* argv[]) {
    if (std::string name; IsHotKeyCommand(std::vector<std::string>(argv + 1, argv + argc), name)) {
        return HotKeyCommand(argc, argv, name);
    }
    const TSessionKind session = SessionFromEnvironment();
    ChooseWindowSystem(session);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vantro"));
    QApplication::setOrganizationName(QStringLiteral("Vantro"));

    TSingleInstance instance;
    if (!instance.TryBecomeFirst()) {
        ActivatePreviousInstance("Vantro");
        return 0;
    }

    const TKeyRouteSettings routeSettings{ReadSetting("KeyOutput"), ReadSetting("Uinput") == 1};
    TChosenKeyboard keyboard = ChooseKeyboardOutput(KeyRouteOrder(session, routeSettings));
    // Hot keys: key grabs where the window system is X11, else the desktop's portal;
    // `Vantro --hotkey` works everywhere.
    TX11HotKeys x11HotKeys;
    std::unique_ptr<TPortalHotKeys> portalHotKeys;
    const bool x11 = QGuiApplication::platformName() == QLatin1String("xcb");
    if (!x11) portalHotKeys = std::make_unique<TPortalHotKeys>();
    const bool viaPortal = portalHotKeys && portalHotKeys->Available();
    THotKeyRegistrar& hotKeys = viaPortal ? static_cast<THotKeyRegistrar&>(*portalHotKeys)
                                          : static_cast<THotKeyRegistrar&>(x11HotKeys);

    // Nothing to type with: the window says why (the last route tried is the one the
    // settings asked for, or the last resort).
    TStatusMessage typingText = keyboard.Route ? KeyRouteText(*keyboard.Route)
                                : keyboard.Probes.empty()
                                    ? TStatusMessage(TStatusText::TypingNone)
                                    : TStatusMessage(TStatusText::TypingNoneBecause,
                                                     {KeyRouteText(keyboard.Probes.back().Route),
                                                      keyboard.Probes.back().Problem});
    TStatusMessage hotKeyText = x11         ? TStatusMessage("X11")
                                : viaPortal ? portalHotKeys->StateText()
                                            : TStatusMessage("Vantro --hotkey F9 ... F11");
    std::fprintf(stderr, "Vantro: %s; hot keys: %s\n", DescribeKeyRoutes(keyboard.Probes).c_str(),
                 x11         ? "taken from X11"
                 : viaPortal ? "through the GlobalShortcuts portal"
                             : "bind F9, F10, F11 to \"Vantro --hotkey F9\" ... in the desktop");

    TMainForm form(*keyboard.Output, hotKeys, TPortMap::FromSystem());
    const auto showRoutes = [&form, &typingText, &hotKeyText] {
        form.ShowKeyRoutes(typingText, hotKeyText);
    };
    showRoutes();
    if (keyboard.Portal != nullptr) {
        typingText = keyboard.Portal->StateText();
        showRoutes();
        // Only a keymap of one layout says which is in use: with several, the active one
        // is told to the focused program alone, and keysyms are the better guess.
        keyboard.Portal->LayoutInUse = []() -> std::optional<TLayoutKeyMap> {
            const std::optional<std::string> text = CompositorKeymapText();
            std::optional<TLayoutKeyMap> layout;
            if (text) layout = TLayoutKeyMap::FromKeymapText(*text);
            if (layout && layout->LayoutCount() == 1) return layout;
            return std::nullopt;
        };
        keyboard.Portal->OnRestoreToken = [](const QString& token) {
            WriteTextSetting("PortalRestoreToken", token.toStdString());
        };
        keyboard.Portal->OnStateChanged = [&](TPortalKeyboardOutput::TState state,
                                              const QString& text) {
            typingText = keyboard.Portal->StateText();
            showRoutes();
            std::fprintf(stderr, "Vantro: typing: %s\n", text.toStdString().c_str());
            if (state != TPortalKeyboardOutput::TState::Typing && form.ShowMessage) {
                form.ShowMessage(
                    StatusText(form.LanguageIndex, {TStatusText::CannotType, {typingText}}));
            }
        };
        keyboard.Portal->Start(QString::fromStdString(ReadTextSetting("PortalRestoreToken")));
    }
    if (viaPortal) {
        portalHotKeys->OnStateChanged = [&](TPortalHotKeys::TState, const QString& text) {
            hotKeyText = portalHotKeys->StateText();
            const std::string told = text.toStdString();
            showRoutes();
            std::fprintf(stderr, "Vantro: hot keys: %s\n", told.c_str());
        };
        portalHotKeys->Start();
    }
    instance.OnActivate = [&form](const std::string& title) {
        const QString wanted = QString::fromStdString(title).trimmed().toUpper();
        if (!form.windowTitle().toUpper().contains(wanted)) return false;
        if (form.isMinimized()) form.showNormal();
        form.raise();
        form.activateWindow();
        return true;
    };
    instance.OnHotKey = [&form](const std::string& name) {
        return form.HotKeyFromCommandLine(HotKeyCodeOf(name));
    };
    CloseOnEndSignals([&form] {
        form.close();               // the exit of the window: port closed, settings stored
        QCoreApplication::exit(0);  // also ends a message box or dialog that is open
    });
    form.FormLoad(true);
    form.show();
    return app.exec();
}
