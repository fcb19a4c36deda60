#include "auto_start.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QStandardPaths>

std::string AutoStartFolder(bool currentUser) {
    if (!currentUser) return "/etc/xdg/autostart";
    QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (config.isEmpty()) config = QDir::homePath() + QStringLiteral("/.config");
    return (config + QStringLiteral("/autostart")).toStdString();
}

namespace {

// A percent sign opens a field code in Exec, so a literal one is written twice.
std::string EscapePercent(const std::string& text) {
    std::string escaped;
    for (char c : text) {
        escaped += c;
        if (c == '%') escaped += '%';
    }
    return escaped;
}

}  // namespace

std::string DesktopExecValue(const std::string& programPath) {
    const std::string reserved = " \t\n\"'\\><~|&;$*?#()`";
    if (programPath.find_first_of(reserved) == std::string::npos) {
        return EscapePercent(programPath);
    }
    std::string quoted = "\"";
    for (char c : programPath) {
        if (c == '"' || c == '`' || c == '$' || c == '\\') quoted += '\\';
        quoted += c;
    }
    quoted += '"';
    // The value itself is a desktop-entry string, where a backslash is escaped once more.
    std::string escaped;
    for (char c : quoted) {
        escaped += c;
        if (c == '\\') escaped += '\\';
    }
    return EscapePercent(escaped);
}

bool SetAutoStart(bool set, const std::string& valueName, const std::string& command,
                  bool currentUser, bool runKey) {
    (void)runKey;
    const QString folder = QString::fromStdString(AutoStartFolder(currentUser));
    const QString path =
        folder + QLatin1Char('/') + QString::fromStdString(valueName) + QStringLiteral(".desktop");
    if (!set) {
        QFile::remove(path);
        return true;
    }
    if (!QDir().mkpath(folder)) return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text)) return false;
    const std::string entry =
        "[Desktop Entry]\nType=Application\nName=" + valueName +
        "\nComment=Types gauge readings into the focused window\nExec=" + command +
        "\nTerminal=false\nX-GNOME-Autostart-enabled=true\n";
    file.write(entry.data(), qint64(entry.size()));
    return file.commit();
}
