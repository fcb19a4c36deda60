#pragma once
// Where the program lives, its own INI file, the test switch, and the search for
// program files such as the language files.

#include <string>
#include <string_view>

// The running executable's folder, ending in "/".
extern std::string ProgDir;
// The executable's full path with its extension replaced by ".INI".
extern std::string ProgIniFile;
// The "D" start switch (test mode); false until the command line sets it.
extern bool SwitchD;

// First start-up step, before any settings file is opened: sets ProgDir and
// ProgIniFile from /proc/self/exe, clears SwitchD and fixes the locale separators.
void InitProgPaths();

// The first existing file of: fileName itself (relative to the current folder),
// ProgDir + fileName, ProgDir + subDir + fileName, then the same two in the fixed
// folder "/D6/_/". subDir ends in "/" (e.g. "LNG/"). Returns the full path, or ""
// when none exists.
std::string FindProgFile(std::string_view fileName, std::string_view subDir);

namespace tavrix {

// Sets ProgDir and ProgIniFile as for an executable at `exePath`.
void SetProgPathsFromExe(std::string_view exePath);

// The fixed folder searched after the program folder; tests point it elsewhere.
void SetFixedSearchFolder(std::string folder);

}  // namespace tavrix
