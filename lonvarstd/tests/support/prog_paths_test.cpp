#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "support/file_ext.h"
#include "support/prog_paths.h"
#include "temp_folder.h"

namespace {

TEST(ProgPaths, FolderAndIniFileComeFromTheExecutablePath) {
    tavrix::SetProgPathsFromExe("/opt/tavrix.1/LonvarStd");
    EXPECT_EQ(ProgDir, "/opt/tavrix.1/");
    EXPECT_EQ(ProgIniFile, "/opt/tavrix.1/LonvarStd.INI");
    tavrix::SetProgPathsFromExe("/opt/t/LonvarStd.bin.exe");
    EXPECT_EQ(ProgIniFile, "/opt/t/LonvarStd.bin.INI");

    EXPECT_EQ(tavrix::ChangeFileExt("DAT/DEFAULT.TVC", ".bak"), "DAT/DEFAULT.bak");
    EXPECT_EQ(tavrix::ChangeFileExt("/a.b/NoExt", ".bak"), "/a.b/NoExt.bak");
}

class FindProgFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* sub : {"work", "prog/LNG", "fixed/LNG"}) {
            std::filesystem::create_directories(folder.file(sub));
        }
        oldDir = std::filesystem::current_path();
        std::filesystem::current_path(folder.file("work"));
        tavrix::SetProgPathsFromExe(folder.file("prog/LonvarStd"));
        tavrix::SetFixedSearchFolder(folder.file("fixed/"));
    }
    void TearDown() override {
        std::filesystem::current_path(oldDir);
        tavrix::SetFixedSearchFolder("/D6/_/");
    }

    // Puts `name` into each of the given folders, then searches it.
    std::string placeAndFind(const std::string& name, std::initializer_list<const char*> where) {
        for (const char* sub : where) writeBytes(folder.file(sub) + "/" + name, sub);
        return FindProgFile(name, "LNG/");
    }

    TempFolder folder;
    std::filesystem::path oldDir;
};

TEST_F(FindProgFileTest, TakesTheFirstFolderInSearchOrderAsAFullPath) {
    EXPECT_EQ(placeAndFind("a.LLNG", {"work", "prog/LNG"}), folder.file("work/a.LLNG"));
    EXPECT_EQ(placeAndFind("b.LLNG", {"prog", "prog/LNG", "fixed"}), folder.file("prog/b.LLNG"));
    EXPECT_EQ(placeAndFind("c.LLNG", {"prog/LNG", "fixed", "fixed/LNG"}),
              folder.file("prog/LNG/c.LLNG"));
    EXPECT_EQ(placeAndFind("d.LLNG", {"fixed", "fixed/LNG"}), folder.file("fixed/d.LLNG"));
    EXPECT_EQ(placeAndFind("e.LLNG", {"fixed/LNG"}), folder.file("fixed/LNG/e.LLNG"));
    EXPECT_EQ(placeAndFind("f.LLNG", {}), "");
    EXPECT_EQ(FindProgFile("LNG", ""), "");  // a folder is not a file
    EXPECT_EQ(FindProgFile("", "LNG/"), "");
}

TEST_F(FindProgFileTest, RelativeNamesAreExpandedAgainstTheCurrentFolder) {
    writeBytes(folder.file("prog/LNG/English.LLNG"), "x");
    EXPECT_EQ(FindProgFile("../prog/LNG/English.LLNG", "LNG/"),
              folder.file("prog/LNG/English.LLNG"));
}

}  // namespace
