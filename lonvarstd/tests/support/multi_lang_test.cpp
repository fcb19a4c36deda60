// Translation of texts against real language and scratch files in a temporary program folder.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/multi_lang.h"
#include "support/new_ini_file.h"
#include "support/prog_paths.h"
#include "temp_folder.h"

namespace {

class MultiLangTest : public ::testing::Test {
protected:
    void SetUp() override {
        tavrix::SetProgPathsFromExe(dir_.file("LonvarStd"));
        std::filesystem::create_directories(dir_.file("fixed"));
        tavrix::SetFixedSearchFolder(dir_.file("fixed/"));
        writeBytes(dir_.file("English.LLNG"),
                   "[_]\r\n~Excel-Datei?=Excel file?\r\n~Fragezeichen=?\r\n~Leer= \r\n"
                   "[FrmTest]\r\n~&Datei=&File\r\n~Wert=Value\r\n~Gross=High\r\n~Hoch=High\r\n"
                   "~Zwei=&One & two\r\n~Gleich=a=b\r\n");
        writeBytes(dir_.file("Deutsch.LLNG"), "[FrmTest]\r\n~Wert=Wert\r\n~Gross=Groß\r\n");
        std::filesystem::create_directories(dir_.file("LNG"));
        writeBytes(dir_.file("LNG/Francais.LLNG"), "[FrmTest]\r\n~Wert=Valeur\r\n");
    }
    void TearDown() override { tavrix::SetFixedSearchFolder("/D6/_/"); }

    TempFolder dir_;
};

struct tTranslateCase {
    const char* Name;
    const char* Language;
    const char* Section;
    const char* Text;
    bool NoAmpStrip;
    const char* Expected;
};

TEST_F(MultiLangTest, TranslatesEachKindOfText) {
    const tTranslateCase cases[] = {
        {"message text", "English", "_", "~Excel-Datei?", false, "Excel file?"},
        {"empty section is _", "English", "", "~Excel-Datei?", false, "Excel file?"},
        {"keys ignore ASCII case", "English", "_", "~EXCEL-datei?", false, "Excel file?"},
        {"section names ignore case", "English", "frmtest", "~Wert", false, "Value"},
        {"& kept for a menu", "English", "FrmTest", "~&Datei", true, "&File"},
        {"& stripped for a label", "English", "FrmTest", "~&Datei", false, "File"},
        {"only the first & stripped", "English", "FrmTest", "~Zwei", false, "One & two"},
        {"# suffix kept", "English", "FrmTest", "~Wert#: ", false, "Value: "},
        {"# suffix without entry", "English", "FrmTest", "~Unbekannt#: ", false, "~Unbekannt"},
        {"missing key keeps its ~", "English", "FrmTest", "~Nirgends", false, "~Nirgends"},
        {"key of another section", "English", "FrmTest", "~Excel-Datei?", false, "~Excel-Datei?"},
        {"? reads as missing", "English", "_", "~Fragezeichen", false, "~Fragezeichen"},
        {"a blank translation stands", "English", "_", "~Leer", false, " "},
        {"plain text unchanged", "English", "FrmTest", "12.5 mm", false, "12.5 mm"},
        {"empty text", "English", "FrmTest", "", false, ""},
        {"file only in LNG/", "Francais", "FrmTest", "~Wert", false, "Valeur"},
        {"no language file", "Italiano", "FrmTest", "~Wert", false, "~Wert"},
    };
    for (const auto& c : cases) {
        TMultiLang lang;
        lang.Language = c.Language;
        EXPECT_EQ(lang.TranslateText(c.Section, c.Text, c.NoAmpStrip), c.Expected) << c.Name;
    }
}

TEST_F(MultiLangTest, ShownTextIsTranslatedAgainIntoAnotherLanguage) {
    TMultiLang lang;
    lang.Language = "English";
    ASSERT_EQ(lang.TranslateText("FrmTest", "~Wert"), "Value");
    lang.Language = "Deutsch";
    EXPECT_EQ(lang.TranslateText("FrmTest", "Value"), "Wert");
    lang.Language = "Francais";
    EXPECT_EQ(lang.TranslateText("FrmTest", "Wert"), "Valeur");
    // The scratch file maps per section.
    EXPECT_EQ(lang.TranslateText("_", "Valeur"), "Valeur");
}

TEST_F(MultiLangTest, KeyOfTheTextIsReported) {
    TMultiLang lang;
    lang.Language = "English";
    ASSERT_TRUE(lang.BeginTexts());
    std::string key;
    EXPECT_EQ(lang.Translate("FrmTest", "~Wert#: ", false, &key), "Value: ");
    EXPECT_EQ(key, "~Wert#: ");
    EXPECT_EQ(lang.Translate("FrmTest", "Value", false, &key), "Value");
    EXPECT_EQ(key, "~Wert");
    EXPECT_EQ(lang.Translate("FrmTest", "12", false, &key), "12");
    EXPECT_EQ(key, "");
    lang.EndTexts();
}

TEST_F(MultiLangTest, ScratchFileStartsEmptyAndHasNoBackup) {
    const std::string scratch = dir_.file("LonvarStd.TMP");
    writeBytes(scratch, "[FrmTest]\r\nValue=~Gross\r\n");
    TMultiLang lang;
    EXPECT_EQ(lang.LangScratchFile, scratch);
    EXPECT_FALSE(fileExists(scratch));
    lang.Language = "English";
    lang.TranslateText("FrmTest", "~Wert");
    lang.TranslateText("FrmTest", "~Gross");
    EXPECT_EQ(readBytes(scratch), "[FrmTest]\r\nValue=~Wert\r\nHigh=~Gross\r\n");
    // The program INI file's backup name stays free for the program INI file.
    EXPECT_FALSE(fileExists(dir_.file("LonvarStd.bak")));
}

TEST_F(MultiLangTest, TranslationThatWouldNotReadBackIsNotRemembered) {
    TMultiLang lang;
    lang.Language = "English";
    EXPECT_EQ(lang.TranslateText("FrmTest", "~Gleich"), "a=b");
    EXPECT_EQ(readBytes(lang.LangScratchFile), "");
}

TEST_F(MultiLangTest, RunsNestAndInactiveWithoutFile) {
    TMultiLang lang;
    lang.Language = "English";
    ASSERT_TRUE(lang.BeginTexts());
    EXPECT_EQ(lang.TranslateText("FrmTest", "~Wert"), "Value");  // inner run
    EXPECT_TRUE(lang.Active);
    EXPECT_EQ(lang.Translate("FrmTest", "~Wert", false), "Value");
    lang.EndTexts();
    EXPECT_EQ(lang.Translate("FrmTest", "~Wert", false), "~Wert");  // outside a run

    lang.Language = "Italiano";
    EXPECT_FALSE(lang.BeginTexts());
    EXPECT_FALSE(lang.Active);
    lang.EndTexts();
}

TEST_F(MultiLangTest, LanguageIsKeptInTheProgramIniFile) {
    {
        TMultiLang lang;
        EXPECT_EQ(lang.Language, "Deutsch");
        lang.Language = "English";
        lang.SaveLanguage();
    }
    EXPECT_EQ(TNewIniFile(ProgIniFile).ReadString("DEFAULT", "LANGUAGE", ""), "English");
    TMultiLang again;
    EXPECT_EQ(again.Language, "English");
}

TEST_F(MultiLangTest, ListsOnlyTheLanguagesInTheProgramFolder) {
    writeBytes(dir_.file("espanol.llng"), "");
    std::filesystem::create_directories(dir_.file("Folder.LLNG"));
    TMultiLang lang;
    EXPECT_EQ(lang.ListLanguages(), (std::vector<std::string>{"Deutsch", "English", "espanol"}));
}

TEST_F(MultiLangTest, GlobalTranslatorIsClearedWithIt) {
    {
        TMultiLang lang;
        MultiLang = &lang;
    }
    EXPECT_EQ(MultiLang, nullptr);
}

}  // namespace
