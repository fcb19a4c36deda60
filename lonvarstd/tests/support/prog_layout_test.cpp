// Where each file lies in the portable and the installed layout, and a user's own
// language file beside the shipped ones.
#include "support/prog_layout.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <optional>

#include "support/multi_lang.h"
#include "support/prog_paths.h"
#include "temp_folder.h"

namespace {

using tavrix::tProgLayout;

// Sets or clears an environment variable for one test.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::string& value) : name_(name) {
        if (const char* old = ::getenv(name)) old_ = old;
        value.empty() ? ::unsetenv(name) : ::setenv(name, value.c_str(), 1);
    }
    ~ScopedEnv() { old_ ? ::setenv(name_, old_->c_str(), 1) : ::unsetenv(name_); }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    const char* name_;
    std::optional<std::string> old_;
};

struct LayoutCase {
    const char* what;
    bool marker;
    bool userDirVariable;
    // Expected folders, relative to the test's root (the hook's: where its path begins).
    const char* config;
    const char* data;
    const char* cache;
    const char* hook;
    const char* share;
};

TEST(ProgLayout, EachFileLiesWhereTheLayoutSays) {
    const LayoutCase cases[] = {
        {"marker beside the program", true, true, "usr/bin/", "usr/bin/", "usr/bin/", "usr/bin/",
         "usr/bin/"},
        {"installed, folder named by the variable", false, true, "tests/", "tests/", "tests/",
         "usr/lib/", "usr/share/tavrix/"},
        {"installed, XDG folders", false, false, "xdg-config/tavrix/", "xdg-data/tavrix/",
         "xdg-cache/tavrix/", "usr/lib/", "usr/share/tavrix/"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempFolder root;
        std::filesystem::create_directories(root.file("usr/bin"));
        if (c.marker) writeBytes(root.file("usr/bin/LonvarStd.portable"), "");
        const std::string r = root.path() + "/";
        ScopedEnv userDir(tavrix::kUserDirVariable, c.userDirVariable ? r + "tests" : "");
        ScopedEnv config("XDG_CONFIG_HOME", r + "xdg-config");
        ScopedEnv data("XDG_DATA_HOME", r + "xdg-data");
        ScopedEnv cache("XDG_CACHE_HOME", r + "xdg-cache");

        const auto layout = tProgLayout::ForExecutable(r + "usr/bin/LonvarStd");
        EXPECT_EQ(layout.IsPortable(), c.marker);
        EXPECT_EQ(layout.ProgDir(), r + "usr/bin/");
        EXPECT_EQ(layout.ProgIniFile(), r + c.config + "LonvarStd.INI");
        EXPECT_EQ(layout.LanguagePresetFile(), r + c.config + "Language.ini");
        EXPECT_EQ(layout.DatDir(), r + c.data + "DAT/");
        EXPECT_EQ(layout.TmpConfigFile(), r + c.cache + "TVC.TMP");
        EXPECT_EQ(layout.ScratchFile(), r + c.cache + "LonvarStd.TMP");
        // Installed, the hook lies in lib/<triplet>/tavrix/ where the build has a triplet.
        const std::string hook = layout.HookLibrary();
        EXPECT_TRUE(hook.starts_with(r + c.hook)) << hook;
        EXPECT_TRUE(hook.ends_with(c.marker ? "bin/libTavFxHook.so" : "/tavrix/libTavFxHook.so"))
            << hook;
        EXPECT_EQ(layout.DataFolders().back(), r + c.share);
        EXPECT_EQ(layout.DataFile("Default.xlt"), r + c.share + "Default.xlt");

        // Only an installed program makes folders, and only the user's.
        EXPECT_EQ(layout.PrepareUserFolders(), c.marker ? "" : r + c.data);
        EXPECT_EQ(std::filesystem::is_directory(layout.DatDir()), !c.marker);
        EXPECT_FALSE(std::filesystem::exists(r + "usr/share"));
        EXPECT_FALSE(std::filesystem::exists(r + "usr/bin/DAT"));
    }
}

TEST(ProgLayout, StartUpSetsTheProgramValuesAndWorksInTheUserFolder) {
    TempFolder user;
    ScopedEnv userDir(tavrix::kUserDirVariable, user.path());
    const auto oldDir = std::filesystem::current_path();
    SwitchD = true;
    InitProgPaths();  // the test program's folder has no marker
    const auto self = std::filesystem::read_symlink("/proc/self/exe");
    EXPECT_EQ(ProgDir, self.parent_path().string() + "/");
    EXPECT_EQ(ProgIniFile, user.file(self.filename().string() + ".INI"));
    EXPECT_EQ(std::filesystem::current_path(), user.path());
    EXPECT_TRUE(std::filesystem::is_directory(user.file("DAT")));
    EXPECT_FALSE(SwitchD);
    std::filesystem::current_path(oldDir);
}

TEST(ProgLayout, AUsersOwnLanguageFileWinsOverTheShippedOne) {
    TempFolder root;
    for (const char* sub : {"share/LNG", "user"})
        std::filesystem::create_directories(root.file(sub));
    writeBytes(root.file("share/Deutsch.LLNG"), "");
    writeBytes(root.file("share/English.LLNG"), "[A]\r\n~Wert=shipped\r\n");
    writeBytes(root.file("share/LNG/Italiano.LLNG"), "");
    writeBytes(root.file("user/English.LLNG"), "[A]\r\n~Wert=mine\r\n");
    writeBytes(root.file("user/Svenska.LLNG"), "");
    const std::string user = root.file("user/");
    tavrix::SetProgLayout(tProgLayout::Installed(root.file("bin/LonvarStd"), root.file("share"),
                                                 root.file("lib"), {user, user, user}));

    TMultiLang lang;
    EXPECT_EQ(lang.ListLanguages(), (std::vector<std::string>{"Deutsch", "English", "Svenska"}));
    lang.Language = "English";
    EXPECT_EQ(lang.LanguageFilePath(), root.file("user/English.LLNG"));
    EXPECT_EQ(FindProgFile("Deutsch.LLNG", "LNG/"), root.file("share/Deutsch.LLNG"));
    EXPECT_EQ(FindProgFile("Italiano.LLNG", "LNG/"), root.file("share/LNG/Italiano.LLNG"));
    EXPECT_EQ(lang.LangScratchFile, user + "LonvarStd.TMP");
    tavrix::SetProgPathsFromExe("");
}

}  // namespace
