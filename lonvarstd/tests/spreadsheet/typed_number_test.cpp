#include <gtest/gtest.h>

#include "platform/spreadsheet/typed_number.h"

namespace tavrix::spreadsheet {
namespace {

const NumberSeparators kEnglish{".", ","};
const NumberSeparators kGerman{",", "."};

TEST(TypedNumber, ReadsPlainNumbersOfTheLocale) {
    EXPECT_EQ(ParseTypedNumber("12.5", kEnglish), 12.5);
    EXPECT_EQ(ParseTypedNumber("+0001.1111", kEnglish), 1.1111);
    EXPECT_EQ(ParseTypedNumber(" -0.5\t", kEnglish), -0.5);
    EXPECT_EQ(ParseTypedNumber("1,234.5", kEnglish), 1234.5);
    EXPECT_EQ(ParseTypedNumber("12.", kEnglish), 12.0);
    EXPECT_EQ(ParseTypedNumber(".5", kEnglish), 0.5);
    EXPECT_EQ(ParseTypedNumber("1.5E3", kEnglish), 1500.0);
    EXPECT_EQ(ParseTypedNumber("12,5", kGerman), 12.5);
    EXPECT_EQ(ParseTypedNumber("-1.234,5", kGerman), -1234.5);
}

// Group separators are taken leniently, which is what tells the two probe texts apart.
TEST(TypedNumber, ProbeTextsReadDifferentlyPerLocale) {
    EXPECT_EQ(ParseTypedNumber("1234.530000000", kEnglish), 1234.53);
    EXPECT_EQ(ParseTypedNumber("1234,530000000", kEnglish), 1234530000000.0);
    EXPECT_EQ(ParseTypedNumber("1234,530000000", kGerman), 1234.53);
    EXPECT_EQ(ParseTypedNumber("1234.530000000", kGerman), 1234530000000.0);
    EXPECT_EQ(ParseTypedNumber("12,5", kEnglish), 125.0);
}

TEST(TypedNumber, AnythingElseIsNoNumber) {
    for (const char* text : {"",
                             "  ",
                             "-",
                             "+",
                             ".",
                             "=1+1",
                             "=HYPERLINK(\"http://x\";\"y\")",
                             "+cmd|' /C calc'!A0",
                             "@SUM(A1)",
                             "12.5 mm",
                             "1.2.3",
                             ",5",
                             "1,,2",
                             "1,",
                             "1e",
                             "1e+",
                             "--1",
                             "0x10",
                             "inf",
                             "nan",
                             "1 2",
                             "1E999"}) {
        EXPECT_FALSE(ParseTypedNumber(text, kEnglish).has_value()) << text;
    }
    EXPECT_FALSE(ParseTypedNumber("12,5.3", kGerman).has_value());
}

TEST(TypedNumber, GeneralDisplayUsesTheLocaleSeparator) {
    EXPECT_EQ(FormatGeneralNumber(1234.53, kEnglish), "1234.53");
    EXPECT_EQ(FormatGeneralNumber(1234.53, kGerman), "1234,53");
    EXPECT_EQ(FormatGeneralNumber(1234530000000.0, kEnglish), "1234530000000");
    EXPECT_EQ(FormatGeneralNumber(-3.0, kEnglish), "-3");
    EXPECT_EQ(FormatGeneralNumber(0.0, kEnglish), "0");
    EXPECT_EQ(FormatGeneralNumber(1e20, kGerman), "1E+20");
    EXPECT_EQ(FormatGeneralNumber(2.5e-7, kGerman), "2,5E-07");
}

}  // namespace
}  // namespace tavrix::spreadsheet
