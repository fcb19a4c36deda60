// The reception logic without port or display: character table, reading box texts,
// Lumo-RS sequencing, postamble tokens and keystroke text.

#include <gtest/gtest.h>

#include "keystroke_text.h"
#include "lumo_sequencer.h"
#include "postamble.h"
#include "reading_assembler.h"
#include "reading_display.h"

namespace {

struct TLine {
    std::string Reading;
    std::string Keys;
};

// Feeds a line and returns what the assembler held at its CR.
TLine Assemble(const std::string& line, TReadingOptions options = {}) {
    TReadingAssembler assembler;
    for (char ch : line) {
        if (assembler.Feed(ch, options)) return {assembler.ReadingText(), assembler.KeyText()};
    }
    return {"<no CR>", "<no CR>"};
}

}  // namespace

TEST(ReadingAssembler, KeepsDigitsSignAndPointAndDropsEverythingElse) {
    EXPECT_EQ(Assemble("-0012.345\r").Keys, "-0012.345");
    EXPECT_EQ(Assemble("-0012.345\r").Reading, "-0012.345");
    EXPECT_EQ(Assemble("12.345 mm\r").Keys, "12.345");
    EXPECT_EQ(Assemble("\n\t 1a2\x01\x7f"
                       "3\r")
                  .Keys,
              "123");
    EXPECT_EQ(Assemble("\r").Keys, "");
}

TEST(ReadingAssembler, PlusSignAndCommaOptions) {
    EXPECT_EQ(Assemble("+0012.345\r").Keys, "{+}0012.345");
    EXPECT_EQ(Assemble("+0012.345\r").Reading, "+0012.345");
    const TLine filtered = Assemble("+0012.345\r", {true, false});
    EXPECT_EQ(filtered.Keys, "0012.345");
    EXPECT_EQ(filtered.Reading, "0012.345");
    const TLine comma = Assemble("12.5\r", {false, true});
    EXPECT_EQ(comma.Keys, "12,5");
    EXPECT_EQ(comma.Reading, "12.5");  // the box turns it into a comma itself
}

TEST(ReadingAssembler, PartialTextWaitsAndOverlongLinesAreDropped) {
    TReadingAssembler assembler;
    for (char ch : std::string("1.2")) EXPECT_FALSE(assembler.Feed(ch, {}));
    EXPECT_EQ(assembler.ReadingText(), "1.2");
    for (char ch : std::string("5\r")) assembler.Feed(ch, {});
    EXPECT_EQ(assembler.ReadingText(), "1.25");

    assembler.Clear();
    for (size_t i = 0; i < TReadingAssembler::kMaxReadingLength + 10; ++i) assembler.Feed('7', {});
    EXPECT_LT(assembler.ReadingText().size(), 20u);
    EXPECT_EQ(assembler.DroppedOverlongLines(), 1u);
    // Plus signs triple the keystroke text but count once.
    assembler.Clear();
    for (size_t i = 0; i < 5000; ++i) assembler.Feed('+', {});
    EXPECT_LE(assembler.KeyText().size(), 3 * TReadingAssembler::kMaxReadingLength);
    // After a drop the next reading is whole again.
    assembler.Clear();
    for (char ch : std::string("4.5\r")) assembler.Feed(ch, {});
    EXPECT_EQ(assembler.ReadingText(), "4.5");
}

TEST(ReadingDisplay, NormalAndCompactForms) {
    EXPECT_EQ(DisplayedReading("-0012.345", false, false, '.'), "-0012.345");
    EXPECT_EQ(DisplayedReading("12.5", false, true, '.'), "12,5");
    EXPECT_EQ(DisplayedReading("-1.5", true, false, '.'), " -001.5000");
    EXPECT_EQ(DisplayedReading("2", true, false, '.'), "  002.0000");
    EXPECT_EQ(DisplayedReading("", true, false, '.'), "  000.0000");
    EXPECT_EQ(DisplayedReading("--", true, false, '.'), "  000.0000");
    EXPECT_EQ(DisplayedReading("2", true, true, '.'), "  002,0000");
    EXPECT_EQ(DisplayedReading("2", true, false, ','), "  002,0000");  // system symbol
    EXPECT_EQ(DisplayedReading("12345.67891", true, false, '.'), "  12345.6789");
    EXPECT_EQ(DisplayedReading("0.00004", true, false, '.'), "  000.0000");
    EXPECT_EQ(DisplayedReading("-0.00004", true, false, '.'), "  000.0000");
    EXPECT_EQ(DisplayedReading("+0012.34567", true, false, '.'), "  012.3457");
}

TEST(ReadingDisplay, ValueIgnoresTrailingText) {
    EXPECT_DOUBLE_EQ(ReadingValue("12-3"), 12.0);
    EXPECT_DOUBLE_EQ(ReadingValue(".5"), 0.5);
    EXPECT_DOUBLE_EQ(ReadingValue("1.2.3"), 1.2);
    EXPECT_DOUBLE_EQ(ReadingValue("-"), 0.0);
}

TEST(LumoSequencer, UnaskedReadingIsFollowedUpAndTheAnswerDiscarded) {
    TLumoSequencer lumo;
    EXPECT_EQ(lumo.AnswerComplete(3), TLumoSequencer::TFate::Handle);
    EXPECT_TRUE(lumo.FollowUpDue);
    EXPECT_TRUE(lumo.DiscardNext);
    EXPECT_FALSE(lumo.Tick());
    EXPECT_FALSE(lumo.Tick());
    EXPECT_FALSE(lumo.Tick());
    EXPECT_TRUE(lumo.Tick());  // the fourth tick, about 200 ms
    EXPECT_TRUE(lumo.RequestPending);
    EXPECT_FALSE(lumo.FollowUpDue);
    EXPECT_EQ(lumo.AnswerComplete(3), TLumoSequencer::TFate::Discard);
    EXPECT_FALSE(lumo.DiscardNext);
    EXPECT_FALSE(lumo.RequestPending);
    // The next unasked reading starts the cycle again.
    EXPECT_EQ(lumo.AnswerComplete(3), TLumoSequencer::TFate::Handle);
    EXPECT_TRUE(lumo.DiscardNext);
}

TEST(LumoSequencer, AnUnansweredFollowUpDoesNotSwallowTheNextReading) {
    TLumoSequencer lumo;
    lumo.AnswerComplete(3);
    while (!lumo.Tick()) {
    }
    for (int i = 0; i < TLumoSequencer::kTicksToAwaitFollowUpAnswer; ++i) lumo.Tick();
    EXPECT_TRUE(lumo.DiscardNext);  // still waiting for the answer
    lumo.Tick();
    EXPECT_FALSE(lumo.DiscardNext);
    EXPECT_FALSE(lumo.RequestPending);
    EXPECT_EQ(lumo.AnswerComplete(3), TLumoSequencer::TFate::Handle);
}

TEST(LumoSequencer, HotKeyAnswersAndDsrAndOtherFlowChoices) {
    TLumoSequencer lumo;
    lumo.RequestSent();
    EXPECT_EQ(lumo.AnswerComplete(3), TLumoSequencer::TFate::Handle);
    EXPECT_FALSE(lumo.FollowUpDue);

    lumo.DsrChanged(false, 3);
    EXPECT_FALSE(lumo.FollowUpDue);
    lumo.DsrChanged(true, 0);
    EXPECT_FALSE(lumo.FollowUpDue);
    lumo.DsrChanged(true, 3);
    EXPECT_TRUE(lumo.FollowUpDue);

    TLumoSequencer plain;
    EXPECT_EQ(plain.AnswerComplete(0), TLumoSequencer::TFate::Handle);
    EXPECT_FALSE(plain.FollowUpDue);
    EXPECT_FALSE(plain.DiscardNext);
}

TEST(Postamble, TokensAreReplacedOnceEachAnyCase) {
    const QDateTime at(QDate(2024, 3, 7), QTime(9, 5, 4));
    EXPECT_EQ(ExpandPostamble("", at), "");
    EXPECT_EQ(ExpandPostamble("{ENTER}", at), "{ENTER}");
    EXPECT_EQ(ExpandPostamble("{year}-{Month}-{DAY} {HOUR}:{MINUTE}:{SECOND}", at),
              "24-03-07 09:05:04");
    EXPECT_EQ(ExpandPostamble("{DAY}{DAY}", at), "07{DAY}");
    EXPECT_EQ(ExpandPostamble("{TAB}{HOUR}{ENTER}", at), "{TAB}09{ENTER}");
}

TEST(KeystrokeText, NamedKeysPlusAndPlainCharacters) {
    const auto keys = ParseKeystrokeText("{+}1,5{ENTER}{TAB}{DOWN}{RIGHT}{LEFT}{UP}");
    ASSERT_EQ(keys.size(), 10u);
    EXPECT_EQ(keys[0], (TKeystroke{TNamedKey::Plain, U'+'}));
    EXPECT_EQ(keys[2], (TKeystroke{TNamedKey::Plain, U','}));
    EXPECT_EQ(keys[4].Key, TNamedKey::Enter);
    EXPECT_EQ(keys[9].Key, TNamedKey::Up);
    EXPECT_EQ(DescribeKeystrokes(ParseKeystrokeText("{X}{ENT")), "{X}{ENT");
    EXPECT_EQ(DescribeKeystrokes(ParseKeystrokeText("ä{+}")), "ä+");
    EXPECT_TRUE(ParseKeystrokeText("").empty());
}
