#include <gtest/gtest.h>

#include "support/num_text.h"

namespace {

struct Reading {
    const char* text;
    double expected;
};

void expectReadings(std::initializer_list<Reading> readings) {
    for (const Reading& r : readings)
        EXPECT_DOUBLE_EQ(NumTextToFloat(r.text), r.expected) << r.text;
}

TEST(NumTextToFloat, CommaLocaleReadsBothSeparatorsAndStraySigns) {
    tavrix::SetLocaleSeparators(',', ':');
    expectReadings({{"+0012.500 mm", 12.5},
                    {"12,5", 12.5},
                    {"12.5-", -12.5},
                    {"- 3.0", -3},
                    {"0012.5", 12.5},
                    {"+0100.0500", 100.05},
                    {"1E3", 13},
                    {"--5", 0},
                    {"", 0},
                    {"abc", 0},
                    {"-", 0},
                    {",", 0},
                    {"1,2,3", 0},
                    {"++5", 5},
                    {"5", 5},
                    {".5", 0.5},
                    {"-0,001 in", -0.001}});
}

TEST(NumTextToFloat, PointLocaleRejectsThousandsSeparators) {
    tavrix::SetLocaleSeparators('.', ':');
    expectReadings({{"1,234.5", 0},
                    {"102.5", 102.5},
                    {"12,5", 12.5},
                    {"-0000.0000", 0},
                    {"+0001.1111 mm", 1.1111},
                    {std::string(400, '9').c_str(), 0}});
    EXPECT_EQ(DecimalSeparator(), '.');
    EXPECT_EQ(TimeSeparator(), ':');
}

TEST(NumTextToFloat, OtherSeparatorReplacesNothing) {
    tavrix::SetLocaleSeparators('\'', '.');
    expectReadings({{"12'5", 12.5}, {"12.5", 125}, {"12,5", 125}});
    EXPECT_EQ(TimeSeparator(), '.');
    tavrix::SetLocaleSeparators('.', ':');
}

TEST(PadLeft, PadsShortTextsOnly) {
    EXPECT_EQ(PadLeft(2, "7", '0'), "07");
    EXPECT_EQ(PadLeft(2, "123", '0'), "123");
    EXPECT_EQ(PadLeft(2, "12", '0'), "12");
    EXPECT_EQ(PadLeft(3, "", ' '), "   ");
    EXPECT_EQ(PadLeft(0, "x", '0'), "x");
    EXPECT_EQ(PadLeft(-5, "x", '0'), "x");
    EXPECT_EQ(PadLeft(3, "ä", '_'), "__ä");  // counted in characters, not bytes
}

}  // namespace
