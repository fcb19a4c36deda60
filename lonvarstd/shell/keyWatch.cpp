#include "shell/keyWatch.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QFileInfo>
#include <algorithm>
#include <cstdio>

#include "engine/dataModule.h"
#include "shell/engineEvent.h"
#include "shell/globalShortcuts.h"
#include "shell/gnomeShortcuts.h"
#include "shell/keySource.h"
#include "shell/requestCommand.h"
#include "shell/valueReport.h"
#include "ui/MultiLang.h"
#include "ui/UserDialogs.h"

namespace {

// Neither the search nor the device dialog says when keys change; a look costs nothing.
constexpr int kKeyCheckMs = 1000;

// A session with a bus names it or keeps it at the usual place; without either the
// library would try to launch one, which can stall the start for seconds.
bool SessionBusThere() {
    if (!qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS")) return true;
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    return !runtime.isEmpty() && QFileInfo::exists(runtime + "/bus");
}

}  // namespace

std::vector<std::uint16_t> RequestKeysInUse(const TD& d) {
    std::vector<std::uint16_t> keys;
    for (const auto& dev : d.Devices) {
        if (!dev->IsInstrument() || dev->AnforderType != AnforderKey) continue;
        const std::uint16_t code = TD::KeyNameToCode(dev->AnforderTasteKeyb);
        if (TD::IsRequestKey(code)) keys.push_back(code);
    }
    std::sort(keys.begin(), keys.end());
    keys.erase(std::unique(keys.begin(), keys.end()), keys.end());
    return keys;
}

tKeyWatch::tKeyWatch(TD& d, QWidget* statusWindow, bool hook) : d_(d), statusWindow_(statusWindow) {
    ways_.WaylandSession = WaylandSessionFromEnvironment();
    ways_.Hook = hook;
    gnome_ = ways_.WaylandSession && GnomeShortcutsAvailable();
    if (ways_.WaylandSession && SessionBusThere() && QDBusConnection::sessionBus().isConnected()) {
        portal_ = std::make_unique<tGlobalShortcuts>(QDBusConnection::sessionBus());
        connect(this, &tKeyWatch::KeysChanged, portal_.get(), &tGlobalShortcuts::Bind);
        connect(portal_.get(), &tGlobalShortcuts::StateChanged, this, &tKeyWatch::SetPortalState);
        connect(portal_.get(), &tGlobalShortcuts::KeyActivated, this, [this](std::uint16_t key) {
            QCoreApplication::postEvent(
                statusWindow_, new tEngineEvent(tEngineEvent::KeyPressed, key, KeyFromPortal, 0));
        });
    }
    keyCheck_.setInterval(kKeyCheckMs);
    connect(&keyCheck_, &QTimer::timeout, this, &tKeyWatch::CheckKeys);
    keyCheck_.start();
    Show();
}

QString tKeyWatch::HintText() const {
    QString text = TranslateText("~Anforderungstasten:");
    for (tKeyWay way : KeyWaysOf(ways_)) text += "\n" + TranslateText(KeyWayTextKey(way));
    return text;
}

tKeyWatch::~tKeyWatch() = default;

void tKeyWatch::SetPortalState(tPortalState state) {
    if (ways_.Portal == state) return;
    ways_.Portal = state;
    Show();
}

void tKeyWatch::SetDesktopShortcuts(bool set) {
    if (ways_.DesktopShortcuts == set) return;
    ways_.DesktopShortcuts = set;
    Show();
}

void tKeyWatch::CheckKeys() {
    std::vector<std::uint16_t> keys = RequestKeysInUse(d_);
    if (checkedOnce_ && keys == keys_) return;
    checkedOnce_ = true;
    keys_ = std::move(keys);
    if (gnome_) {
        ways_.DesktopShortcuts = !keys_.empty() && GnomeShortcutsOfOurs() == keys_;
        Show();
    }
    emit KeysChanged(keys_);
    TellUnwatchedOnce();
}

void tKeyWatch::Show() {
    statusWindow_->setToolTip(HintText());
    const std::string line = KeyWaysLine(ways_);
    if (line != lastLine_) {
        lastLine_ = line;
        std::printf("%s  request keys: %s\n", ClockText().c_str(), line.c_str());
        std::fflush(stdout);
    }
    TellUnwatchedOnce();
}

void tKeyWatch::TellUnwatchedOnce() {
    // The portal's own dialog may still be asking; its answer comes back here.
    if (told_ || !checkedOnce_ || keys_.empty() || ways_.Portal == tPortalState::Asking ||
        KeysFromEveryProgram(ways_)) {
        return;
    }
    told_ = true;
    QString text = TranslateText("~Anforderungstasten anderer Programme kommen nicht an");
    const QString program = QCoreApplication::applicationFilePath();
    for (std::uint16_t key : keys_) {
        text += "\n" + QString::fromStdString(RequestCommandLine(program.toStdString(), key));
    }
    text += "\n" + TranslateText("~Einstellungen > Tastenkürzel des Desktops hilft dabei.");
    // Not inside the start-up step or the portal's answer that found it.
    QMetaObject::invokeMethod(
        statusWindow_, [window = statusWindow_, text] { UserDialogs().ShowMessage(window, text); },
        Qt::QueuedConnection);
}
