#pragma once

// Which office the program attaches to or starts, and how. The defaults suit the user's desktop;
// the environment overrides them (tests give every office its own pipe and profile):
//   TAVRIX_OFFICE_PIPE         pipe name (default "tavrix_office" + user id)
//   TAVRIX_OFFICE_PROFILE      profile folder of a started office (default: the user's own)
//   TAVRIX_OFFICE_LOCALE       locale of a started office with its own profile, e.g. "de-DE"
//   TAVRIX_OFFICE_HEADLESS     "1": start without a window even when a display is there
//   TAVRIX_OFFICE_PROGRAM_DIR  the office's program folder
//   TAVRIX_SOFFICE             the office start program
//   TAVRIX_OFFICE_LOG          file that receives a started office's own output

#include <string>
#include <vector>

namespace tavrix::spreadsheet {

struct OfficeOptions {
    std::string pipeName;
    std::string programDir;
    std::string sofficePath;
    std::string profileDir;  // empty: the user's own profile
    std::string locale;      // BCP 47 tag; only applied to a profile of our own
    // No window: when the office has no plug-in that can show one on this session's displays.
    bool headless = false;
    int startTimeoutMs = 45000;  // a cold start with a new profile takes 5-20 s here

    static OfficeOptions FromEnvironment();
};

std::string DefaultPipeName();

// The window system plug-ins the office in programDir brings ("gtk3", "qt6", "gen", ...). One
// without any can still run, but only headless: asked to show a window it fails.
std::vector<std::string> OfficeWindowPlugins(const std::string& programDir);

// The displays of the session the office would show its windows on.
struct SessionDisplays {
    bool x11 = false;      // DISPLAY: an X server, or XWayland on a Wayland desktop
    bool wayland = false;  // WAYLAND_DISPLAY
    static SessionDisplays FromEnvironment();
};

// Whether an office with these plug-ins can show its windows on the session: on X any plug-in
// does; on a Wayland session without X only those that speak Wayland (the X-only "gen" and
// "gtk3_kde5" would fail to start there).
bool OfficeCanShowWindows(const std::vector<std::string>& plugins, SessionDisplays session);

// Gives a new profile folder the settings a program-driven office needs: the chosen locale
// (which decides how typed numbers are read) and no first-start dialogs. A profile that already
// has settings is left alone.
void PrepareProfile(const std::string& profileDir, const std::string& locale);

// file:// URL of an absolute path, with the characters a URL cannot carry escaped.
std::string FileUrlOf(const std::string& absolutePath);

}  // namespace tavrix::spreadsheet
