// The keyboard wedge: types readings from a gauge on a serial port into the focused window.

#include <QApplication>
#include <cstdio>

#include "hotkey_command.h"
#include "key_routes.h"
#include "keyboard_output_choice.h"
#include "main_form.h"
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
    TX11HotKeys hotKeys;  // takes keys only with an X11 window system
    const bool x11HotKeys = QGuiApplication::platformName() == QLatin1String("xcb");
    const std::string hotKeyText =
        x11HotKeys ? "hot keys F9, F10, F11 taken from X11"
                   : "hot keys: bind F9, F10, F11 to \"Vantro --hotkey F9\" ... in the desktop";
    std::fprintf(stderr, "Vantro: %s; %s\n", DescribeKeyRoutes(keyboard.Probes).c_str(),
                 hotKeyText.c_str());

    TMainForm form(*keyboard.Output, hotKeys, TPortMap::FromSystem());
    form.ShowKeyRoute(
        "Typing: " + (keyboard.Route ? KeyRouteName(*keyboard.Route) : std::string("none")) +
        (x11HotKeys ? " | Hot keys: X11" : " | Hot keys: Vantro --hotkey F9 ... F11"));
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
    form.FormLoad(true);
    form.show();
    return app.exec();
}
