// LonvarStd: one instance per user; the status window is the main form and its close
// ends the program.

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <QApplication>
#include <QSocketNotifier>
#include <QTimer>
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "engine/dataModule.h"
#include "shell/SingleInstance.h"
#include "shell/TavrixMain.h"
#include "shell/commandLineRequests.h"
#include "shell/desktopShortcutsCommand.h"
#include "shell/displayLoss.h"
#include "shell/keyWatch.h"
#include "shell/keyWays.h"
#include "shell/outsideEnd.h"
#include "shell/requestCommand.h"
#include "support/prog_paths.h"
#include "ui/DialogCalls.h"
#include "ui/MainBig.h"
#include "ui/MultiLang.h"
#include "ui/UserDialogs.h"

namespace {

// The init run's pause between closing its window and ending.
constexpr int kEndPauseMs = 1000;

// A request to end (Ctrl-C, SIGTERM at log-out) closes the status window as the user
// would, so that settings and placement are kept; the handler only wakes the loop.
int signalPipe[2] = {-1, -1};

void OnEndSignal(int) {
    const char wake = 1;
    [[maybe_unused]] const ssize_t written = write(signalPipe[1], &wake, 1);
}

void CatchEndSignals() {
    if (pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
    struct sigaction action {};
    action.sa_handler = OnEndSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

// An error that escapes an event handler is shown, and the program goes on.
class tApplication : public QApplication {
public:
    using QApplication::QApplication;
    bool notify(QObject* receiver, QEvent* event) override {
        try {
            return QApplication::notify(receiver, event);
        } catch (const std::exception& e) {
            UserDialogs().ShowMessage(nullptr, QString::fromStdString(e.what()));
        } catch (...) {
            UserDialogs().ShowMessage(nullptr, TranslateText("~Unbekannter Fehler"));
        }
        return false;
    }
};

tStatusWindowParts ProgramParts(TFrmTavrixMain* const& status) {
    tStatusWindowParts parts;
    tMainBigDialogs dialogs = RealMainBigDialogs();
    // On X the hook sees every key; a desktop shortcut there would only request twice.
    if (WaylandSessionFromEnvironment()) {
        dialogs.DesktopShortcuts = [&status](QWidget* parent) {
            const bool covered = RunDesktopShortcutsCommand(
                parent, *D, QCoreApplication::applicationFilePath().toStdString());
            if (status != nullptr && status->KeyWatch() != nullptr) {
                status->KeyWatch()->SetDesktopShortcuts(covered);
            }
        };
    }
    parts.ShowInfo = dialogs.ShowInfo;
    parts.MakeMainWindow = [dialogs](TD& d, QWidget* statusWindow) {
        return std::unique_ptr<tMainWindowLink>(
            std::make_unique<TFrmMainBig>(d, dialogs, statusWindow, nullptr));
    };
    return parts;
}

// `--request <key>` runs before any window system is reached, so that it ends at once.
int RequestCommand(const std::string& key) {
    std::string message;
    const tRequestExit result =
        SendKeyRequest(tSingleInstance::SocketPathFor("LonvarStd").toStdString(), key, message);
    if (!message.empty()) std::fprintf(stderr, "LonvarStd: %s\n", message.c_str());
    return result;
}

}  // namespace

int main(int argc, char** argv) {
    if (std::string key; IsRequestCommand(std::vector<std::string>(argv + 1, argv + argc), key)) {
        return RequestCommand(key);
    }
    InitProgPaths();
    // With an X server at hand (XWayland too) the windows are X11 windows, so that the
    // keyboard hook also sees the keys typed into them.
    // Without one, on a Wayland session, they are Wayland windows.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        if (!qEnvironmentVariableIsEmpty("DISPLAY")) {
            qputenv("QT_QPA_PLATFORM", "xcb");
        } else if (!qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
            qputenv("QT_QPA_PLATFORM", "wayland");
        }
    }
    tApplication app(argc, argv);
    QApplication::setApplicationName("LonvarStd");
    // The status window's close ends the program, not the last window closed.
    QApplication::setQuitOnLastWindowClosed(false);

    tSingleInstance instance("LonvarStd");
    if (!instance.Acquire()) return 0;

    QStringList parameters = QApplication::arguments();
    parameters.removeFirst();
    std::unique_ptr<TFrmTavrixMain> form;
    TFrmTavrixMain* status = nullptr;
    try {
        form = std::make_unique<TFrmTavrixMain>(parameters, ProgramParts(status));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "LonvarStd: %s\n", e.what());
        UserDialogs().ShowMessage(nullptr, QString::fromStdString(e.what()));
        return 1;
    }
    status = form.get();
    QObject::connect(&instance, &tSingleInstance::RaiseRequested, status, [status] {
        status->show();
        status->raise();
        status->activateWindow();
    });
    TakeCommandLineRequests(instance, *status);
    CatchEndSignals();
    QSocketNotifier endSignal(signalPipe[0], QSocketNotifier::Read);
    QObject::connect(&endSignal, &QSocketNotifier::activated, status, [status] {
        char drained[16];
        while (read(signalPipe[0], drained, sizeof drained) > 0) {
        }
        CloseFromOutside(status);
    });
    EndLikeASignalWhenTheDisplayGoes(status);
    QObject::connect(status, &TFrmTavrixMain::Closed, &app, [] {
        QTimer::singleShot(SwitchI ? kEndPauseMs : 0, qApp, &QCoreApplication::quit);
    });
    status->show();
    const int result = QApplication::exec();
    EndLikeASignalWhenTheDisplayGoes(nullptr);
    form.reset();
    return result;
}
