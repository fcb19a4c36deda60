#pragma once
// Where LonvarStd's files lie, decided once at start and asked by everyone who reads or
// writes a program file.
//
// Portable: a program folder that holds the marker file "LonvarStd.portable" (the build
// tree's program folder has one) keeps every file beside the executable: the program INI
// file, DAT/, "TVC.TMP", the scratch file, language files, pictures, "Default.xlt" and the
// hook library.
//
// Installed (no marker): read-only data come from the share folder that belongs to the
// program's own location (<prefix>/share/tavrix/ for <prefix>/bin/LonvarStd), the hook
// library from <prefix>/lib/<triplet>/tavrix/. What the program writes goes to the user's
// folders only: the program INI file to the configuration folder, DAT/ to the data folder,
// "TVC.TMP" and the scratch file to the cache folder (XDG folders, "tavrix" in each). A
// user's own language file or picture in the data folder wins over the shipped one of the
// same name. TAVRIX_USER_DIR, when set, names one folder that takes the place of all
// three user folders.

#include <string>
#include <string_view>
#include <vector>

namespace tavrix {

inline constexpr const char* kPortableMarker = "LonvarStd.portable";
inline constexpr const char* kUserDirVariable = "TAVRIX_USER_DIR";

// The user's writable folders of an installed program, each ending in "/".
struct tUserFolders {
    std::string Config;
    std::string Data;
    std::string Cache;
};

class tProgLayout {
public:
    // Every file beside the executable at exePath.
    static tProgLayout Portable(std::string_view exePath);
    // An installed program at exePath; shareDir and hookDir end in "/".
    static tProgLayout Installed(std::string_view exePath, std::string shareDir,
                                 std::string hookDir, tUserFolders user);
    // The program's own decision: portable when the marker lies beside exePath; else
    // installed, with the user folders from TAVRIX_USER_DIR or the XDG folders.
    static tProgLayout ForExecutable(std::string_view exePath);

    bool IsPortable() const { return portable_; }
    // The executable's folder, ending in "/".
    const std::string& ProgDir() const { return progDir_; }
    // The executable's name with ".INI", in the program or configuration folder.
    std::string ProgIniFile() const;
    // Configuration files and the default text-file and spreadsheet targets, ending in "/".
    std::string DatDir() const;
    std::string TmpConfigFile() const;
    // The translation's scratch file: the executable's name with ".TMP".
    std::string ScratchFile() const;
    // "Language.ini", which presets the language once and is then deleted.
    std::string LanguagePresetFile() const;
    std::string HookLibrary() const;
    // Folders searched for language files and pictures, the user's own first; each ends
    // in "/". Portable: the program folder only.
    const std::vector<std::string>& DataFolders() const { return dataFolders_; }
    // The first of DataFolders() that holds `relative` (a file), else the shipped path.
    std::string DataFile(std::string_view relative) const;
    // Installed: creates the user's folders and DAT/ and returns the data folder, against
    // which relative names from the settings (TvcFileName, targets) are resolved, as they
    // were against the program folder. Portable: creates nothing and returns "".
    std::string PrepareUserFolders() const;

private:
    bool portable_ = true;
    std::string exeName_;  // without folder
    std::string progDir_;
    std::string hookDir_;
    tUserFolders user_;
    std::vector<std::string> dataFolders_;
};

// The layout in force; portable beside an empty program path until one is set.
const tProgLayout& ProgLayout();
// Puts `layout` in force and sets ProgDir and ProgIniFile from it.
void SetProgLayout(tProgLayout layout);

}  // namespace tavrix
