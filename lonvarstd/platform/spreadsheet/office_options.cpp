#include "platform/spreadsheet/office_options.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/spreadsheet/automation.h"

namespace tavrix::spreadsheet {

namespace {

std::string EnvOr(const char* name, const std::string& fallback) {
    const char* value = std::getenv(name);
    return value && *value ? std::string(value) : fallback;
}

std::string XmlEscaped(const std::string& text) {
    std::string out;
    for (char ch : text) {
        switch (ch) {
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '&':
                out += "&amp;";
                break;
            case '"':
                out += "&quot;";
                break;
            default:
                out += ch;
        }
    }
    return out;
}

}  // namespace

std::string DefaultPipeName() {
    return "tavrix_office" + std::to_string(getuid());
}

std::vector<std::string> OfficeWindowPlugins(const std::string& programDir) {
    static const std::string kPrefix = "libvclplug_";
    static const std::string kSuffix = "lo.so";
    std::vector<std::string> plugins;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(programDir, ec)) {
        const std::string name = entry.path().filename().string();
        if (name.size() <= kPrefix.size() + kSuffix.size() || name.rfind(kPrefix, 0) != 0 ||
            name.compare(name.size() - kSuffix.size(), kSuffix.size(), kSuffix) != 0) {
            continue;
        }
        std::string plugin =
            name.substr(kPrefix.size(), name.size() - kPrefix.size() - kSuffix.size());
        // The headless plug-in is built into the office and shows nothing.
        if (plugin != "svp") plugins.push_back(std::move(plugin));
    }
    return plugins;
}

SessionDisplays SessionDisplays::FromEnvironment() {
    SessionDisplays session;
    session.x11 = !EnvOr("DISPLAY", "").empty();
    session.wayland = !EnvOr("WAYLAND_DISPLAY", "").empty();
    return session;
}

bool OfficeCanShowWindows(const std::vector<std::string>& plugins, SessionDisplays session) {
    if (session.x11) return !plugins.empty();
    if (!session.wayland) return false;
    for (const std::string& plugin : plugins) {
        if (plugin == "gtk3" || plugin == "gtk4" || plugin == "qt5" || plugin == "qt6" ||
            plugin == "kf5" || plugin == "kf6") {
            return true;
        }
    }
    return false;
}

OfficeOptions OfficeOptions::FromEnvironment() {
    OfficeOptions o;
    o.pipeName = EnvOr("TAVRIX_OFFICE_PIPE", DefaultPipeName());
    o.programDir = EnvOr("TAVRIX_OFFICE_PROGRAM_DIR", TAVRIX_DEFAULT_OFFICE_PROGRAM_DIR);
    o.sofficePath = EnvOr("TAVRIX_SOFFICE", o.programDir + "/soffice");
    o.profileDir = EnvOr("TAVRIX_OFFICE_PROFILE", "");
    o.locale = EnvOr("TAVRIX_OFFICE_LOCALE", "");
    o.headless = EnvOr("TAVRIX_OFFICE_HEADLESS", "0") == "1" ||
                 !OfficeCanShowWindows(OfficeWindowPlugins(o.programDir),
                                       SessionDisplays::FromEnvironment());
    return o;
}

void PrepareProfile(const std::string& profileDir, const std::string& locale) {
    namespace fs = std::filesystem;
    const fs::path user = fs::path(profileDir) / "user";
    const fs::path settings = user / "registrymodifications.xcu";
    std::error_code ec;
    if (fs::exists(settings, ec)) return;
    fs::create_directories(user, ec);
    if (ec)
        throw AutomationError("cannot create office profile " + user.string() + ": " +
                              ec.message());

    std::ofstream out(settings);
    out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<oor:items xmlns:oor=\"http://openoffice.org/2001/registry\" "
           "xmlns:xs=\"http://www.w3.org/2001/XMLSchema\" "
           "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\">\n";
    auto item = [&out](const char* path, const char* prop, const std::string& value) {
        out << "<item oor:path=\"" << path << "\"><prop oor:name=\"" << prop
            << "\" oor:op=\"fuse\"><value>" << XmlEscaped(value) << "</value></prop></item>\n";
    };
    if (!locale.empty()) item("/org.openoffice.Setup/L10N", "ooSetupSystemLocale", locale);
    item("/org.openoffice.Office.Common/Misc", "ShowTipOfTheDay", "false");
    item("/org.openoffice.Office.Common/Misc", "FirstRun", "false");
    item("/org.openoffice.Office.Common/Save/Document", "AutoSave", "false");
    item("/org.openoffice.Office.Recovery/AutoSave", "Enabled", "false");
    out << "</oor:items>\n";
    if (!out.flush()) throw AutomationError("cannot write " + settings.string());
}

std::string FileUrlOf(const std::string& absolutePath) {
    static const char* kHex = "0123456789ABCDEF";
    std::string url = "file://";
    for (unsigned char ch : absolutePath) {
        const bool plain = (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z') ||
                           (ch >= '0' && ch <= '9') || ch == '/' || ch == '-' || ch == '_' ||
                           ch == '.' || ch == '~';
        if (plain) {
            url += static_cast<char>(ch);
        } else {
            url += '%';
            url += kHex[ch >> 4];
            url += kHex[ch & 0xF];
        }
    }
    return url;
}

}  // namespace tavrix::spreadsheet
