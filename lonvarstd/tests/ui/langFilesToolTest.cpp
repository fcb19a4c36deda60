// The build tool that makes the language files from the tables, run on tables of a test.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <string>

#include "tests/support/temp_folder.h"

namespace {

const std::string Header = "key\tDeutsch\tEnglish\tEspanol\tFrancais\n";

class LangFilesToolTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directories(dir_.file("lang"));
        std::filesystem::create_directories(dir_.file("out"));
    }
    void Table(const std::string& name, const std::string& rows) {
        writeBytes(dir_.file("lang/" + name), rows);
    }
    // The tool's exit code; its messages go to `errors_`.
    int Run() {
        const std::string command = std::string("'") + TAVRIX_MAKE_LANG_FILES + "' '" +
                                    dir_.file("lang") + "' '" + dir_.file("out") + "' 2>'" +
                                    dir_.file("errors") + "'";
        const int status = std::system(command.c_str());
        errors_ = readBytes(dir_.file("errors"));
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    std::string Made(const std::string& language) {
        return readBytes(dir_.file("out/" + language + ".LLNG"));
    }

    TempFolder dir_;
    std::string errors_;
};

TEST_F(LangFilesToolTest, TablesOfOneSectionAreMergedWithCrLfLines) {
    Table("_.tsv", Header + "~Taste\tTaste\tKey\tTecla\tTouche\n");
    Table("_.shell.tsv",
          Header +
              "~&Ja\t&Ja\t&Yes\t&Sí\t&Oui\r\n# a comment\n\n~Taste\tTaste\tKey\tTecla\tTouche\n");
    Table("FrmTest.tsv", Header + "~Wert\tWert\t Value\tValor\tValeur\n");
    ASSERT_EQ(Run(), 0) << errors_;
    EXPECT_EQ(Made("English"), "[FrmTest]\r\n~Wert= Value\r\n[_]\r\n~&Ja=&Yes\r\n~Taste=Key\r\n");
    EXPECT_EQ(Made("Espanol"), "[FrmTest]\r\n~Wert=Valor\r\n[_]\r\n~&Ja=&Sí\r\n~Taste=Tecla\r\n");
    EXPECT_NE(Made("Deutsch").find("~Taste=Taste\r\n"), std::string::npos);
    EXPECT_NE(Made("Francais").find("~Taste=Touche\r\n"), std::string::npos);
}

TEST_F(LangFilesToolTest, FaultyTablesStopTheBuildWithFileAndLine) {
    const struct {
        const char* Name;
        std::string Rows;
        const char* Message;
    } cases[] = {
        {"header", "key\tDeutsch\tEnglish\n~A\tA\tA\tA\tA\n", "_.tsv:1: header line expected"},
        {"columns", Header + "~A\tA\tA\tA\n", "_.tsv:2: five tab-separated columns expected"},
        {"no ~", Header + "A\tA\tA\tA\tA\n", "_.tsv:2: a key starts with"},
        {"= in key", Header + "~A=B\tA\tA\tA\tA\n", "_.tsv:2: a key starts with"},
        {"blank text", Header + "~A\tA\t \tA\tA\n", "_.tsv:2: no English text for ~A"},
        {"? text", Header + "~A\tA\tA\t?\tA\n", "_.tsv:2: no Espanol text for ~A"},
        {"two texts", Header + "~A\tA\tA\tA\tA\n~a\tA\tB\tA\tA\n",
         "_.tsv:3: ~a is already translated differently"},
    };
    for (const auto& c : cases) {
        Table("_.tsv", c.Rows);
        EXPECT_EQ(Run(), 1) << c.Name;
        EXPECT_NE(errors_.find(c.Message), std::string::npos) << c.Name << ": " << errors_;
        EXPECT_FALSE(fileExists(dir_.file("out/English.LLNG"))) << c.Name;
    }
}

}  // namespace
