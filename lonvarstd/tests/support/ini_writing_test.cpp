#include <gtest/gtest.h>

#include <string>

#include "support/new_ini_file.h"
#include "temp_folder.h"

namespace {

class IniWriting : public ::testing::Test {
protected:
    TempFolder folder;
};

TEST_F(IniWriting, WritesGoToTheFirstMatchOrAreAppendedAndAreSavedOnRelease) {
    const std::string path = folder.file("DEFAULT.TVC");
    writeBytes(path, "[Dev]\nA=1\na=2\n[Other]\nX=0\n");
    {
        tPgIniFile file(path);
        file.WriteString("DEV", " a ", "changed");
        file.WriteString("Other", "New", "v");
        file.WriteString(" Fresh ", "K", " spaced ");
        file.WriteInteger("Other", "Neg", -42);
        file.WriteBool("Other", "On", true);
        file.WriteBool("Other", "Off", false);
        EXPECT_TRUE(file.Modified());
        EXPECT_EQ(file.ReadString("dev", "A", ""), "changed");
        EXPECT_EQ(file.ReadInteger("Other", "Neg", 0), -42);
    }
    EXPECT_EQ(readBytes(path),
              "[Dev]\r\nA=changed\r\na=2\r\n"
              "[Other]\r\nX=0\r\nNew=v\r\nNeg=-42\r\nOn=1\r\nOff=0\r\n"
              "[ Fresh ]\r\nK= spaced \r\n");
}

TEST_F(IniWriting, NothingIsWrittenWithoutAWriteAndUpdateFileClearsModified) {
    const std::string path = folder.file("a.INI");
    writeBytes(path, "[S]\nK=1\n");  // LF only: a rewrite would show as CR LF
    { tPgIniFile file(path); }
    EXPECT_EQ(readBytes(path), "[S]\nK=1\n");
    EXPECT_FALSE(fileExists(folder.file("a.bak")));

    tPgIniFile file(path);
    file.WriteString("S", "K", "1");  // the same value still counts as a write
    file.UpdateFile();
    EXPECT_FALSE(file.Modified());
    EXPECT_EQ(readBytes(path), "[S]\r\nK=1\r\n");
    EXPECT_EQ(readBytes(folder.file("a.bak")), "[S]\nK=1\n");
}

TEST_F(IniWriting, MissingFileIsCreatedEmptyOnRelease) {
    const std::string path = folder.file("new.INI");
    { TNewIniFile file(path); }
    ASSERT_TRUE(fileExists(path));
    EXPECT_EQ(readBytes(path), "");
    EXPECT_FALSE(fileExists(folder.file("new.bak")));
}

TEST_F(IniWriting, OldFileBecomesTheBackupOnlyWhileNoBackupExists) {
    const std::string tvc = folder.file("DEFAULT.TVC");
    const std::string ini = folder.file("DEFAULT.INI");
    const std::string bak = folder.file("DEFAULT.bak");
    writeBytes(tvc, "[S]\r\nK=first\r\n");
    writeBytes(ini, "[S]\r\nK=ini\r\n");

    { tPgIniFile(tvc).WriteString("S", "K", "second"); }
    EXPECT_EQ(readBytes(bak), "[S]\r\nK=first\r\n");
    { tPgIniFile(tvc).WriteString("S", "K", "third"); }
    { tPgIniFile(ini).WriteString("S", "K", "ini2"); }  // shares DEFAULT.bak
    EXPECT_EQ(readBytes(bak), "[S]\r\nK=first\r\n");
    EXPECT_EQ(readBytes(tvc), "[S]\r\nK=third\r\n");
    EXPECT_EQ(readBytes(ini), "[S]\r\nK=ini2\r\n");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()),
                            std::filesystem::directory_iterator()),
              3);  // no temporary file left behind
}

TEST_F(IniWriting, RewriteKeepsTheFilePermissions) {
    const std::string path = folder.file("p.INI");
    writeBytes(path, "[S]\r\n");
    std::filesystem::permissions(path, std::filesystem::perms(0640));
    { tPgIniFile(path).WriteString("S", "K", "v"); }
    EXPECT_EQ(std::filesystem::status(path).permissions(), std::filesystem::perms(0640));
}

TEST_F(IniWriting, ALinkedSettingsFileIsRewrittenWhereItLies) {
    std::filesystem::create_directory(folder.file("shared"));
    const std::string real = folder.file("shared/DEFAULT.TVC");
    const std::string link = folder.file("DEFAULT.TVC");
    writeBytes(real, "[S]\r\nK=old\r\n");
    std::filesystem::create_symlink(real, link);

    { tPgIniFile(link).WriteString("S", "K", "new"); }
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(readBytes(real), "[S]\r\nK=new\r\n");
    EXPECT_EQ(readBytes(folder.file("DEFAULT.bak")), "[S]\r\nK=old\r\n");
    EXPECT_EQ(tPgIniFile(link).ReadString("S", "K", ""), "new");
}

// A file as a Windows editor saves it: every section and entry, duplicates and odd
// values included, must come back byte for byte.
TEST_F(IniWriting, LoadAndWriteKeepsAForeignFileByteForByte) {
    const std::string body =
        "[DEFAULT]\r\n"
        "LANGUAGE=Deutsch\r\n"
        "MwTxtZielPath=C:\\Messwerte\\ \r\n"
        "Dup=1\r\n"
        "dup=2\r\n"
        "Empty=\r\n"
        ";note=kept as an entry\r\n"
        "Value= with = signs and [brackets] \r\n"
        "[Geräte]\r\n"
        "Name=Messschieber ÄÖÜ\r\n"
        "[DEFAULT]\r\n"
        "LANGUAGE=shadowed duplicate section\r\n"
        "[Long]\r\n"
        "L=" +
        std::string(100'000, 'x') + "\r\n" + std::string(100'000, 'k') + "=y\r\n";
    for (const std::string bom : {"", "\xEF\xBB\xBF"}) {
        SCOPED_TRACE(bom.empty() ? "without BOM" : "with BOM");
        const std::string path = folder.file(bom.empty() ? "plain.INI" : "bom.INI");
        writeBytes(path, bom + body);
        {
            tPgIniFile file(path);
            EXPECT_EQ(file.ReadString("DEFAULT", "LANGUAGE", ""), "Deutsch");
            file.WriteString("DEFAULT", "LANGUAGE", "Deutsch");
        }
        EXPECT_EQ(readBytes(path), bom + body);
    }
}

TEST_F(IniWriting, LinuxLineEndsAndBlankOrCommentLinesAreNormalisedOnWrite) {
    const std::string path = folder.file("lf.INI");
    writeBytes(path, "; header comment\n\n[A]\n  k = v \n# no equals\n\n[B]\nx=1\n");
    { tPgIniFile(path).WriteString("B", "y", "2"); }
    EXPECT_EQ(readBytes(path), "[A]\r\nk= v \r\n[B]\r\nx=1\r\ny=2\r\n");
}

TEST_F(IniWriting, SectionsAndEntriesCanBeWalkedInFileOrder) {
    const std::string path = folder.file("English.LLNG");
    writeBytes(path, "[FrmMainBig]\r\n~Datei=File\r\n~Ende=Exit\r\n[FrmInfo]\r\n~Info=About\r\n");
    TNewIniFile file(path);
    std::string walked;
    for (const TIniSection& section : file.Sections()) {
        walked += "[" + section.Name + "]";
        for (const TIniValue& value : section.Values)
            walked += value.Name + ">" + value.Value + ";";
    }
    EXPECT_EQ(walked, "[FrmMainBig]~Datei>File;~Ende>Exit;[FrmInfo]~Info>About;");
    const TIniSection* main = file.FindSection("frmmainbig");
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(file.FindValue(*main, "~ENDE"), std::optional<std::size_t>(1));
    EXPECT_EQ(file.FindValue(*main, "~Info"), std::nullopt);
}

}  // namespace
