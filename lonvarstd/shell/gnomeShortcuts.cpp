#include "shell/gnomeShortcuts.h"

#include <QProcess>
#include <QStandardPaths>
#include <QStringList>
#include <algorithm>
#include <cstdlib>

#include "shell/requestCommand.h"

namespace {

const char* const kSchema = "org.gnome.settings-daemon.plugins.media-keys";
const char* const kEntrySchema = "org.gnome.settings-daemon.plugins.media-keys.custom-keybinding";
const std::string kBase = "/org/gnome/settings-daemon/plugins/media-keys/custom-keybindings/";
const std::string kOurPrefix = kBase + "lonvarstd-";
constexpr int kGsettingsMs = 5000;

bool Gsettings(const QStringList& arguments, std::string& output, std::string& error) {
    QProcess process;
    process.start("gsettings", arguments);
    if (!process.waitForFinished(kGsettingsMs) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0) {
        error =
            "gsettings " + arguments.join(' ').toStdString() + ": " +
            (process.error() == QProcess::FailedToStart
                 ? std::string("not found")
                 : QString::fromLocal8Bit(process.readAllStandardError()).trimmed().toStdString());
        return false;
    }
    output = QString::fromUtf8(process.readAllStandardOutput()).trimmed().toStdString();
    return true;
}

// The strings of a GVariant "as" text such as "['/a/', '/b/']" or "@as []".
std::vector<std::string> StringsOf(const std::string& text) {
    std::vector<std::string> found;
    for (std::size_t at = text.find('\''); at != std::string::npos;) {
        const std::size_t end = text.find('\'', at + 1);
        if (end == std::string::npos) break;
        found.push_back(text.substr(at + 1, end - at - 1));
        at = text.find('\'', end + 1);
    }
    return found;
}

// A GVariant string in double quotes; paths and commands may hold single quotes.
std::string VariantString(const std::string& text) {
    std::string out = "\"";
    for (char ch : text) {
        if (ch == '"' || ch == '\\') out += '\\';
        out += ch;
    }
    return out + "\"";
}

std::string VariantList(const std::vector<std::string>& items) {
    std::string out = "[";
    for (const std::string& item : items) {
        if (out.size() > 1) out += ", ";
        out += VariantString(item);
    }
    return out + "]";
}

std::string EntryPath(std::uint16_t key) {
    std::string name = RequestKeyName(key);
    std::transform(name.begin(), name.end(), name.begin(), ::tolower);
    return kOurPrefix + name + "/";
}

bool IsOurs(const std::string& path) {
    return path.rfind(kOurPrefix, 0) == 0;
}

QString EntryAt(const std::string& path) {
    return QString(kEntrySchema) + ":" + QString::fromStdString(path);
}

bool ReadList(std::vector<std::string>& list, std::string& error) {
    std::string text;
    if (!Gsettings({"get", kSchema, "custom-keybindings"}, text, error)) return false;
    list = StringsOf(text);
    return true;
}

bool WriteList(const std::vector<std::string>& list, std::string& error) {
    std::string ignored;
    return Gsettings(
        {"set", kSchema, "custom-keybindings", QString::fromStdString(VariantList(list))}, ignored,
        error);
}

}  // namespace

bool GnomeShortcutsAvailable() {
    const char* desktop = std::getenv("XDG_CURRENT_DESKTOP");
    if (desktop == nullptr || !QString(desktop).split(':').contains("GNOME", Qt::CaseInsensitive))
        return false;
    std::string output, error;
    return Gsettings({"list-keys", kSchema}, output, error) &&
           output.find("custom-keybindings") != std::string::npos;
}

std::vector<std::uint16_t> GnomeShortcutsOfOurs() {
    std::vector<std::string> list;
    std::string error;
    std::vector<std::uint16_t> keys;
    if (!ReadList(list, error)) return keys;
    for (const std::string& path : list) {
        if (!IsOurs(path)) continue;
        const std::string name =
            path.substr(kOurPrefix.size(), path.size() - kOurPrefix.size() - 1);
        if (const std::uint16_t key = RequestKeyCode(name)) keys.push_back(key);
    }
    std::sort(keys.begin(), keys.end());
    return keys;
}

std::string RequestCommandLine(const std::string& program, std::uint16_t key) {
    std::string quoted = "'";
    for (char ch : program) quoted += ch == '\'' ? std::string("'\\''") : std::string(1, ch);
    return quoted + "' --request " + RequestKeyName(key);
}

bool SetGnomeShortcuts(const std::vector<std::uint16_t>& keys, const std::string& program,
                       std::string& error) {
    std::vector<std::string> list;
    if (!ReadList(list, error)) return false;
    std::vector<std::string> kept;
    std::string ignored;
    for (const std::string& path : list) {
        const bool stays = !IsOurs(path) || std::any_of(keys.begin(), keys.end(), [&](auto key) {
            return EntryPath(key) == path;
        });
        if (stays) {
            if (!IsOurs(path)) kept.push_back(path);
        } else if (!Gsettings({"reset-recursively", EntryAt(path)}, ignored, error)) {
            return false;
        }
    }
    // The entries first: the desktop reads each one as soon as the list names it.
    for (std::uint16_t key : keys) {
        const std::string path = EntryPath(key);
        const std::string name = RequestKeyName(key);
        for (const auto& [field, value] :
             {std::pair<const char*, std::string>{"name", "LonvarStd " + name},
              {"command", RequestCommandLine(program, key)},
              {"binding", name}}) {
            if (!Gsettings(
                    {"set", EntryAt(path), field, QString::fromStdString(VariantString(value))},
                    ignored, error)) {
                return false;
            }
        }
        kept.push_back(path);
    }
    return WriteList(kept, error);
}

bool RemoveGnomeShortcuts(std::string& error) {
    std::vector<std::string> list;
    if (!ReadList(list, error)) return false;
    std::vector<std::string> kept;
    std::copy_if(list.begin(), list.end(), std::back_inserter(kept),
                 [](const std::string& path) { return !IsOurs(path); });
    if (kept.size() != list.size() && !WriteList(kept, error)) return false;
    std::string ignored;
    for (const std::string& path : list) {
        if (IsOurs(path) && !Gsettings({"reset-recursively", EntryAt(path)}, ignored, error))
            return false;
    }
    return true;
}
