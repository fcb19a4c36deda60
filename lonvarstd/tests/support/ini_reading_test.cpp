#include <gtest/gtest.h>

#include <string>

#include "support/new_ini_file.h"
#include "temp_folder.h"

namespace {

class IniReading : public ::testing::Test {
protected:
    // Loads `bytes` as a settings file; the object is released before the test ends.
    tPgIniFile& load(const std::string& bytes) {
        writeBytes(folder.file("T.INI"), bytes);
        ini.emplace(folder.file("T.INI"));
        return *ini;
    }

    std::vector<std::string> sectionNames() const {
        std::vector<std::string> names;
        for (const auto& section : ini->Sections()) names.push_back(section.Name);
        return names;
    }

    TempFolder folder;
    std::optional<tPgIniFile> ini;
};

TEST_F(IniReading, FileFromAnotherToolIsReadLineByLineWithoutCommentSyntax) {
    auto& file = load(
        "top=skipped before any section\r\n"
        "\r\n"
        "[Device]\r\n"
        "; a comment line\r\n"
        ";note=1\r\n"
        "  Key = a b \r\n"
        "Empty=\r\n"
        "x=1=2\r\n"
        "no equals sign here\r\n"
        "\r\n"
        "; see [Other] there\n"
        "Cut=kept\rignored up to LF\n"
        "Last=no line end");
    EXPECT_EQ(sectionNames(), (std::vector<std::string>{"Device", "Other"}));
    EXPECT_EQ(file.ReadString("Device", ";note", "-"), "1");
    EXPECT_EQ(file.ReadString("Device", "Key", "-"), " a b ");
    EXPECT_EQ(file.ReadString("Device", "Empty", "-"), "");
    EXPECT_EQ(file.ReadString("Device", "x", "-"), "1=2");
    EXPECT_EQ(file.ReadString("Other", "Cut", "-"), "kept");
    EXPECT_EQ(file.ReadString("Other", "Last", "-"), "no line end");
    EXPECT_EQ(file.ReadString("Device", "top", "-"), "-");
    EXPECT_EQ(file.Sections()[0].Values.size(), 4u);  // comment and plain lines are skipped
    EXPECT_FALSE(file.Modified());
}

TEST_F(IniReading, HeaderLinesFollowTheBracketRules) {
    load(
        "a=[First]\n"  // before the first section "=" does not make an entry
        "[ Spaced ]\n"
        "[NoClose\n"
        "[x]=1\n"  // inside a section any line with "=" is an entry
        "[[Twice]]\n");
    EXPECT_EQ(sectionNames(), (std::vector<std::string>{"First", " Spaced ", "NoClose", "[Twice"}));
    EXPECT_EQ(ini->ReadString("NoClose", "[x]", "-"), "1");
    EXPECT_EQ(ini->ReadString("Spaced", "k", "-"), "-");
    EXPECT_EQ(ini->FindSection("Spaced"), nullptr);
    EXPECT_NE(ini->FindSection(" spaced "), nullptr);
}

TEST_F(IniReading, NamesCompareAsciiCaseInsensitivelyAndTakeTheFirstMatch) {
    load("[Geräte]\r\nA=1\r\na=2\r\n[GERÄTE]\r\nA=3\r\n[DEVICE]\r\nA=4\r\n[device]\r\nA=5\r\n");
    EXPECT_EQ(ini->ReadString("Geräte", "a", "-"), "1");
    EXPECT_EQ(ini->ReadString("GERäTE", "a", "-"), "1");  // only the ASCII letters fold
    EXPECT_EQ(ini->ReadString("GERÄTE", "a", "-"), "3");  // "Ä" is not "ä"
    EXPECT_EQ(ini->ReadString("gerÄte", "a", "-"), "3");
    EXPECT_EQ(ini->ReadString("Device", "A", "-"), "4");
    EXPECT_EQ(ini->ReadString("Device", "  a\t", "-"), "4");  // the ident is trimmed
    EXPECT_EQ(ini->Sections().size(), 4u);
    EXPECT_EQ(ini->Sections()[0].Values.size(), 2u);
}

TEST_F(IniReading, ByteOrderMarkIsNotPartOfTheFirstLine) {
    load("\xEF\xBB\xBF[DEFAULT]\r\nLANGUAGE=Deutsch\r\n");
    EXPECT_EQ(ini->ReadString("DEFAULT", "LANGUAGE", "-"), "Deutsch");
    EXPECT_EQ(sectionNames(), (std::vector<std::string>{"DEFAULT"}));

    load("\xEF\xBB\xBFKey=1\r\n[S]\r\nKey=2\r\n");
    EXPECT_EQ(ini->ReadString("S", "Key", "-"), "2");
}

TEST_F(IniReading, VeryLongLinesAreReadWhole) {
    const std::string longValue(100'000, 'v');
    const std::string longName(100'000, 'n');
    load("[S]\r\nlong=" + longValue + "\r\n" + longName + "=x\r\n[" + std::string(100'000, 's') +
         "]\r\n");
    EXPECT_EQ(ini->ReadString("S", "long", ""), longValue);
    EXPECT_EQ(ini->ReadString("S", longName, ""), "x");
    EXPECT_EQ(ini->Sections().back().Name.size(), 100'000u);
}

TEST_F(IniReading, IntegersAndFlagsFallBackToTheirDefaults) {
    load(
        "[N]\nhex=0x1F\ndollar=$1F\nlead= 12\ntrail=12 \nneg=-7\nplus=+7\nhexneg=-$10\n"
        "empty=\nonlyx=0x\nletters=12a\nmax=2147483647\nmin=-2147483648\nover=2147483648\n"
        "allbits=$FFFFFFFF\ntoobig=$100000000\nspacehex= 0x1F\n"
        "one=1\nminusone=-1\nsixteen=0x10\nzero=0\ntrue=TRUE\nyes=yes\n");
    struct Case {
        const char* ident;
        int expected;
    };
    for (const Case& c : {Case{"hex", 31},
                          {"dollar", 31},
                          {"lead", 12},
                          {"trail", 99},
                          {"neg", -7},
                          {"plus", 7},
                          {"hexneg", -16},
                          {"empty", 99},
                          {"onlyx", 99},
                          {"letters", 99},
                          {"max", 2147483647},
                          {"min", -2147483647 - 1},
                          {"over", 99},
                          {"allbits", -1},
                          {"toobig", 99},
                          {"spacehex", 99},
                          {"missing", 99}}) {
        EXPECT_EQ(ini->ReadInteger("N", c.ident, 99), c.expected) << c.ident;
    }
    for (const char* truthy : {"one", "minusone", "sixteen"}) {
        EXPECT_TRUE(ini->ReadBool("N", truthy, false)) << truthy;
    }
    EXPECT_FALSE(ini->ReadBool("N", "zero", true));
    for (const char* word : {"true", "yes", "missing"}) {
        EXPECT_TRUE(ini->ReadBool("N", word, true)) << word;
        EXPECT_FALSE(ini->ReadBool("N", word, false)) << word;
    }
}

TEST_F(IniReading, MissingFileStartsEmptyAndModified) {
    tPgIniFile file(folder.file("none.INI"));
    EXPECT_TRUE(file.Sections().empty());
    EXPECT_TRUE(file.Modified());
    EXPECT_EQ(file.ReadString("S", "K", "def"), "def");
    EXPECT_EQ(file.ReadInteger("S", "K", -3), -3);
}

}  // namespace
