// The Vantro program on a real Wayland compositor (headless sway, no X server): readings
// from a gauge on a pty arrive, typed, in a native Wayland window under the us and de
// layouts; a desktop binding `Vantro --hotkey F9` asks the gauge for a reading.

#include <gtest/gtest.h>

#include "wayland_wedge_session.h"

using namespace std::chrono_literals;

namespace {

struct TReadingCase {
    const char* Line;      // as the gauge sends it
    const char* Expected;  // as the window receives it
};

struct TSettingsCase {
    const char* Settings;
    std::vector<TReadingCase> Readings;
};

// Every postamble, both separators, signs, units and long values.
const std::vector<TSettingsCase> kTable = {
    {"Postamble=1\n",
     {{"-0012.345\r", "-0012.345{ENTER}"},
      {"+0012.345\r", "+0012.345{ENTER}"},
      {"12.345 mm\r", "12.345{ENTER}"},
      {"-1234567890.0123456789\r", "-1234567890.0123456789{ENTER}"},
      {"\r", "{ENTER}"}}},
    {"Postamble=2\nNumericFilter=1\nCommaSeparator=1\n",
     {{"+0012.345\r", "0012,345{TAB}"}, {"12.5\r", "12,5{TAB}"}}},
    {"Postamble=3\n", {{"1.5\r", "1.5{DOWN}"}}},
    {"Postamble=4\n", {{"2.5\r", "2.5{RIGHT}"}}},
    {"Postamble=5\n", {{"3.5\r", "3.5{LEFT}"}}},
    {"Postamble=6\n", {{"4.5\r", "4.5{UP}"}}},
    {"Postamble=0\n", {{"-5.5\r", "-5.5"}}},
};

class WaylandWedgeTest : public ::testing::TestWithParam<const char*> {};

TEST_P(WaylandWedgeTest, EveryReadingOfTheTableArrivesExactlyOnce) {
    TWaylandWedgeSession session(GetParam());
    ASSERT_TRUE(session.Ready());
    for (const TSettingsCase& settings : kTable) {
        ASSERT_TRUE(session.StartWedge(std::string("ComPort=1\n") + settings.Settings))
            << settings.Settings << session.WedgeOutput();
        for (const TReadingCase& reading : settings.Readings) {
            session.Gauge().Send(reading.Line);
            EXPECT_EQ(session.TakeUntil(reading.Expected, 10s), reading.Expected)
                << settings.Settings << session.WedgeOutput();
        }
        std::this_thread::sleep_for(100ms);
        EXPECT_EQ(session.ReceivedText(), "") << "nothing typed twice";
        EXPECT_EQ(session.StopWedge(), std::optional<int>(0)) << session.WedgeOutput();
    }
    EXPECT_NE(session.WedgeOutput().find("typing through Wayland virtual keyboard"),
              std::string::npos)
        << session.WedgeOutput();
}

INSTANTIATE_TEST_SUITE_P(Layouts, WaylandWedgeTest, ::testing::Values("us", "de"));

TEST(WaylandWedgeHotKeyTest, TheDesktopBindingOfF9AsksTheGaugeAndWrongCallsAreTold) {
    TWaylandWedgeSession session(
        "de", {std::string("bindsym F9 exec ") + VANTRO_PROGRAM + " --hotkey F9"});
    ASSERT_TRUE(session.Ready());
    EXPECT_EQ(session.RunWedgeCommand({"--hotkey", "F9"}), 1) << "no instance";
    ASSERT_TRUE(session.StartWedge("ComPort=1\nPostamble=1\n")) << session.WedgeOutput();
    EXPECT_EQ(session.RunWedgeCommand({"--hotkey", "F12"}), 2) << "not a hot key";

    ASSERT_EQ(session.Sway().Start("wtype", {"-k", "F9"})->WaitForExit(30s), 0);
    EXPECT_EQ(session.Gauge().Receive(2, 10s), "?\r") << session.WedgeOutput();
    EXPECT_EQ(session.ReceivedText(), "") << "the binding keeps the key from the window";

    const std::string told = session.WedgeOutput();
    EXPECT_NE(told.find("not running"), std::string::npos) << told;
    EXPECT_NE(told.find("valid keys: F9, F10, F11"), std::string::npos) << told;
}

}  // namespace
