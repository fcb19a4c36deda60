#pragma once
// Where the program lives, its own INI file, the test switch, and the search for
// program files such as the language files.

#include <string>
#include <string_view>

// The running executable's folder, ending in "/". Which files lie there is the
// layout's business (support/prog_layout.h).
extern std::string ProgDir;
// The program INI file: the executable's name with ".INI", beside the program (portable)
// or in the user's configuration folder (installed).
extern std::string ProgIniFile;
// The "D" start switch (test mode); false until the command line sets it.
extern bool SwitchD;

// First start-up step, before any settings file is opened: decides the layout for
// /proc/self/exe and sets ProgDir and ProgIniFile from it, clears SwitchD and fixes the
// locale separators. Installed, it also creates the user's folders and makes the data
// folder the working folder.
void InitProgPaths();

// The first existing file of: fileName itself (relative to the current folder),
// folder + fileName and folder + subDir + fileName for each of the layout's data folders
// (portable: ProgDir), then the same two in the fixed folder "/D6/_/". subDir ends in "/" (e.g.
// "LNG/"). Returns the full path, or "" when none exists.
std::string FindProgFile(std::string_view fileName, std::string_view subDir);

namespace tavrix {

// Puts the portable layout for an executable at `exePath` in force.
void SetProgPathsFromExe(std::string_view exePath);

// The fixed folder searched after the program folder; tests point it elsewhere.
void SetFixedSearchFolder(std::string folder);

}  // namespace tavrix
