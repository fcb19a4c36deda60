// The control protocol's text helpers.

#include "bench/bench_text.h"

#include <gtest/gtest.h>

namespace tavrix::bench {
namespace {

TEST(BenchText, QuotedBytesComeBackUnchanged) {
    std::string all;
    for (int c = 0; c < 256; ++c) all += static_cast<char>(c);
    const std::string line = "inject x " + quote(all) + " key=" + quote(" Lumo \"q\"");
    EXPECT_EQ(line.find('\n'), std::string::npos);
    auto words = splitWords(line);
    ASSERT_TRUE(words);
    ASSERT_EQ(words->size(), 4u);
    EXPECT_EQ((*words)[2].value, all);
    EXPECT_EQ((*words)[3].key, "key");
    EXPECT_EQ((*words)[3].value, " Lumo \"q\"");
    EXPECT_EQ(fromHex(toHex(all)), all);
}

TEST(BenchText, WordsKeysAndEmptyValues) {
    auto words = splitWords("  cable  a serial=\"\" desc=a=b  ");
    ASSERT_TRUE(words);
    ASSERT_EQ(words->size(), 4u);
    EXPECT_EQ((*words)[1].value, "a");
    EXPECT_EQ((*words)[2].key, "serial");
    EXPECT_EQ((*words)[2].value, "");
    EXPECT_EQ((*words)[3].key, "desc");
    EXPECT_EQ((*words)[3].value, "a=b");
    EXPECT_TRUE(splitWords("")->empty());
}

TEST(BenchText, BrokenInputIsRefused) {
    EXPECT_FALSE(splitWords("a \"open"));
    EXPECT_FALSE(splitWords("a \"x\\"));
    EXPECT_FALSE(splitWords("a \"\\q\""));
    EXPECT_FALSE(splitWords("a \"\\x4\""));
    EXPECT_FALSE(fromHex("abc"));
    EXPECT_FALSE(fromHex("zz"));
    EXPECT_FALSE(toNumber(""));
    EXPECT_FALSE(toNumber("12a"));
    EXPECT_FALSE(toNumber("99999999999999999999999"));
    EXPECT_EQ(toNumber("0x20"), 32);
    EXPECT_EQ(toNumber("08"), 8);  // decimal, not octal
    EXPECT_EQ(toNumber("-3"), -3);
}

}  // namespace
}  // namespace tavrix::bench
