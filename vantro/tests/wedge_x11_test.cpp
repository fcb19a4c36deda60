// End to end under a real X server: the wedge's window, a gauge on a pty, keystrokes
// through XTest into a window of the test's own that has the focus, hot keys grabbed on
// the root window.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QSettings>
#include <QTemporaryDir>
#include <QWindow>

#include "key_recorder.h"
#include "main_form.h"
#include "offscreen_app.h"
#include "pty_gauge.h"
#include "x11_hot_keys.h"
#include "x11_keyboard_output.h"
#include "x11_session.h"

// The X11 headers come last: they define macros (None, Status, Bool) that clash with Qt.
#include <X11/XKBlib.h>
#include <X11/Xlib.h>

using namespace std::chrono_literals;

static auto* const kSession = ::testing::AddGlobalTestEnvironment(new TX11Session);

namespace {
constexpr auto kPatience = 20s;  // generous: a loaded machine may be slow, never wrong
}

class WedgeX11Test : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(Home.isValid());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, Home.path());
        qputenv("XDG_CONFIG_HOME", Home.path().toUtf8());
        Recorder = std::make_unique<TKeyRecorder>(qEnvironmentVariable("DISPLAY").toStdString());
        ASSERT_TRUE(Recorder->Ready());
        ASSERT_TRUE(Keyboard.Available());
        Form =
            std::make_unique<TMainForm>(Keyboard, HotKeys, TPortMap({}, {{1, Gauge.DevicePath()}}));
        Form->ShowMessage = [](const std::string& text) { ADD_FAILURE() << text; };
        Form->FormLoad(false);
        Form->show();
        ASSERT_TRUE(WaitUntil([&] { return Form->windowHandle()->isExposed(); }, kPatience));
        FocusRecorder();
    }
    void TearDown() override {
        if (Form) Form->close();
        Form.reset();
    }

    void FocusRecorder() {
        ASSERT_TRUE(Recorder->TakeFocus(kPatience, PumpEvents));
        ASSERT_TRUE(WaitUntil([&] { return !Form->isActiveWindow(); }, kPatience));
    }
    void OpenCom1WithPostamble(int postamble) {
        Form->TermKeyCombo->setCurrentIndex(postamble);
        Form->TermKeyComboClick();
        Form->Combo1->setCurrentIndex(1);
        Form->Combo1Click();
        ASSERT_TRUE(Form->PortOpen());
    }
    // Sends a line and waits until the recorder has received `expected` in total.
    bool Types(const std::string& line, const std::string& expected) {
        Gauge.Send(line);
        const bool arrived = Recorder->WaitFor(
            [&] { return Recorder->Text.size() >= expected.size(); }, kPatience, PumpEvents);
        EXPECT_EQ(Recorder->Text, expected) << "after " << line;
        return arrived && Recorder->Text == expected;
    }

    QTemporaryDir Home;
    TPtyGauge Gauge;
    std::unique_ptr<TKeyRecorder> Recorder;
    TX11KeyboardOutput Keyboard;
    TX11HotKeys HotKeys;
    std::unique_ptr<TMainForm> Form;
};

TEST_F(WedgeX11Test, ReadingsAreTypedIntoTheFocusedWindow) {
    OpenCom1WithPostamble(1);
    const struct {
        const char *sent, *typed;
        bool numFilter, comma;
    } readings[] = {{"-0012.345\r", "-0012.345{ENTER}", false, false},
                    {"+0012.345\r", "+0012.345{ENTER}", false, false},
                    {"+0012.345\r", "0012.345{ENTER}", true, false},
                    {"12.5\r", "12,5{ENTER}", true, true},
                    {"12.345 mm\r", "12.345{ENTER}", true, false},
                    {"\r", "{ENTER}", true, false},
                    {"1.0\r2.0\r", "1.0{ENTER}2.0{ENTER}", true, false}};
    std::string expected;
    for (const auto& r : readings) {
        Form->NumFilter->setChecked(r.numFilter);
        Form->CommaSeperator->setChecked(r.comma);
        expected += r.typed;
        ASSERT_TRUE(Types(r.sent, expected));
    }
}

TEST_F(WedgeX11Test, EveryPostambleKeyArrives) {
    OpenCom1WithPostamble(2);
    ASSERT_TRUE(Types("1\r", "1{TAB}"));
    const char* const names[] = {"{DOWN}", "{RIGHT}", "{LEFT}", "{UP}"};
    std::string expected = "1{TAB}";
    for (int position = 3; position <= 6; ++position) {
        Form->TermKeyCombo->setCurrentIndex(position);
        Form->TermKeyComboClick();
        expected += std::string("2") + names[position - 3];
        ASSERT_TRUE(Types("2\r", expected));
    }
    Form->TermKeyCombo->setCurrentIndex(0);
    Form->TermKeyComboClick();
    expected += "3";
    ASSERT_TRUE(Types("3\r", expected));
}

TEST_F(WedgeX11Test, NothingIsTypedWhileTheWedgeIsActive) {
    OpenCom1WithPostamble(1);
    Recorder->FocusWindow(Form->winId());
    Form->activateWindow();
    ASSERT_TRUE(WaitUntil([&] { return Form->isActiveWindow(); }, kPatience));
    Gauge.Send("5.5\r");
    ASSERT_TRUE(WaitUntil([&] { return Form->Display->text() == "5.5"; }, kPatience));
    // The reading has been handled in full; after the focus comes back the next one is the
    // first thing the recorder receives.
    FocusRecorder();
    ASSERT_TRUE(Types("6\r", "6{ENTER}"));
}

// Two layouts with the second in use: the key that gives "-" in the first gives another
// character in the second, so each character must be looked up in the layout in use.
class SecondLayout {
public:
    explicit SecondLayout(const std::string& display) : Display_(display) {
        Ok_ = std::system(("setxkbmap -display " + display + " -layout us,de").c_str()) == 0;
        Connection_ = XOpenDisplay(display.c_str());
        Ok_ = Ok_ && Connection_ != nullptr && XkbLockGroup(Connection_, XkbUseCoreKbd, 1);
        if (Connection_ != nullptr) XSync(Connection_, False);
    }
    ~SecondLayout() {
        if (Connection_ != nullptr) {
            XkbLockGroup(Connection_, XkbUseCoreKbd, 0);
            XCloseDisplay(Connection_);
        }
        [[maybe_unused]] const int restored =
            std::system(("setxkbmap -display " + Display_ + " -layout us").c_str());
    }
    bool Ok() const { return Ok_; }

private:
    std::string Display_;
    _XDisplay* Connection_ = nullptr;
    bool Ok_ = false;
};

TEST_F(WedgeX11Test, ReadingsArriveWhicheverLayoutIsInUse) {
    const SecondLayout layout(qEnvironmentVariable("DISPLAY").toStdString());
    if (!layout.Ok()) GTEST_SKIP() << "the keyboard layout could not be switched";
    OpenCom1WithPostamble(1);
    std::string expected = "-12.5{ENTER}";
    ASSERT_TRUE(Types("-12.5\r", expected));
    expected += "+0.5{ENTER}";
    ASSERT_TRUE(Types("+0.5\r", expected));
    Form->CommaSeperator->setChecked(true);
    expected += "-3,25{ENTER}";
    ASSERT_TRUE(Types("-3.25\r", expected));
}

TEST_F(WedgeX11Test, F9RequestsAReadingOnlyWhileThePortIsOpen) {
    Recorder->PressKey("F9");
    ASSERT_TRUE(Recorder->WaitFor([&] { return Recorder->Text == "{F9}"; }, kPatience, PumpEvents));
    EXPECT_EQ(Gauge.Receive(1, 200ms, PumpEvents), "");

    OpenCom1WithPostamble(1);
    Recorder->PressKey("F9");
    EXPECT_EQ(Gauge.Receive(2, kPatience, PumpEvents), "?\r");
    // With NumLock on the grab still holds.
    Recorder->PressKey("Num_Lock");
    Recorder->PressKey("F9");
    EXPECT_EQ(Gauge.Receive(2, kPatience, PumpEvents), "?\r");
    Recorder->PressKey("Num_Lock");
    ASSERT_TRUE(Types("4\r", "{F9}4{ENTER}"));  // the grabbed presses never reached the window

    Form->Combo1->setCurrentIndex(0);
    Form->Combo1Click();
    ASSERT_FALSE(Form->PortOpen());
    Recorder->PressKey("F9");
    ASSERT_TRUE(Recorder->WaitFor([&] { return Recorder->Text.ends_with("{ENTER}{F9}"); },
                                  kPatience, PumpEvents));
    EXPECT_EQ(Gauge.Receive(1, 200ms, PumpEvents), "");
}
