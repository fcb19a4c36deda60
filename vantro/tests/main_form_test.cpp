// The main window on the offscreen platform with a gauge on a pty; the keyboard and the
// hot keys are recorded here and exercised for real in the X11 tests.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QTimer>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "about_box.h"
#include "as_other_user.h"
#include "help_viewer.h"
#include "main_form.h"
#include "offscreen_app.h"
#include "port_folders.h"
#include "port_setup.h"
#include "pty_gauge.h"
#include "recording_keyboard.h"
#include "recording_modem_lines.h"
#include "settings_store.h"

using namespace std::chrono_literals;

static auto* const kApp = ::testing::AddGlobalTestEnvironment(new TOffscreenApp);

class MainFormTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(Home.isValid());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, Home.path());
        qputenv("XDG_CONFIG_HOME", Home.path().toUtf8());
    }
    void TearDown() override { Exit(); }

    void Start() {
        Form = std::make_unique<TMainForm>(Keyboard, HotKeys,
                                           TPortMap({}, {{1, Gauge1.DevicePath()},
                                                         {2, Gauge2.DevicePath()},
                                                         {3, "/dev/no-such-serial-device"}}));
        Form->ShowMessage = [this](const std::string& text) { Messages.push_back(text); };
        Form->OpenHelp = [this](const std::string& file) { HelpOpened.push_back(file); };
        Form->Beep = [this] { ++Beeps; };
        Form->FormLoad(false);
    }
    void Exit() {
        if (!Form) return;
        Form->close();
        Form.reset();
    }
    void SelectCombo(int position) {
        Form->Combo1->setCurrentIndex(position);
        Form->Combo1Click();
    }
    // Sends a line and waits until the keyboard has received `expected` in total.
    bool TypedAfter(TPtyGauge& gauge, const std::string& line, const std::string& expected) {
        gauge.Send(line);
        return WaitUntil([&] { return Keyboard.Typed == expected; });
    }
    std::string Shown() const { return Form->Display->text().toStdString(); }
    QString Text(const char* name) const {
        QObject* control = Form->findChild<QObject*>(QLatin1String(name));
        if (auto* label = qobject_cast<QLabel*>(control)) return label->text();
        if (auto* box = qobject_cast<QGroupBox*>(control)) return box->title();
        if (auto* button = qobject_cast<QAbstractButton*>(control)) return button->text();
        if (auto* menu = qobject_cast<QMenu*>(control)) return menu->title();
        if (auto* action = qobject_cast<QAction*>(control)) return action->text();
        return QStringLiteral("<none>");
    }

    QTemporaryDir Home;
    TPtyGauge Gauge1;
    TPtyGauge Gauge2;
    TRecordingKeyboard Keyboard;
    TRecordingHotKeys HotKeys;
    std::unique_ptr<TMainForm> Form;
    std::vector<std::string> Messages;
    std::vector<std::string> HelpOpened;
    int Beeps = 0;
};

TEST_F(MainFormTest, FirstStartHasTheDefaults) {
    Start();
    EXPECT_EQ(Form->windowTitle(), "Vantro (Inactive)");
    EXPECT_FALSE(Form->PortOpen());
    EXPECT_EQ(Form->Combo1->currentIndex(), 0);
    EXPECT_TRUE(Form->Option1[0]->isChecked());
    for (QCheckBox* box : {Form->LumoRS232, Form->CommaSeperator, Form->BeepOnInput,
                           Form->NumFilter, Form->LoadWithWindows}) {
        EXPECT_FALSE(box->isChecked()) << box->objectName().toStdString();
    }
    EXPECT_EQ(Form->TermKeyCombo->currentIndex(), 0);
    EXPECT_EQ(Form->TermKeyCombo->count(), 7);
    EXPECT_EQ(Form->PostambleKeys, "");
    EXPECT_FALSE(Form->SettingsHidden());
    EXPECT_TRUE(Form->mLang[0]->isChecked());
    EXPECT_EQ(Form->PortSettings, "4800,E,7,2");
    EXPECT_EQ(Form->Line.BaudIndex, 5);
    EXPECT_EQ(Form->Line.ParityIndex, 2);
    EXPECT_EQ(Form->Line.DataBitsIndex, 2);
    EXPECT_EQ(Form->Line.StopBitsIndex, 2);
    EXPECT_EQ(Form->Line.FlowIndex, 0);
    EXPECT_EQ(Form->Combo1->itemText(1).toStdString(), "COM1 (" + Gauge1.DevicePath() + ")");
    EXPECT_TRUE(Messages.empty());
}

TEST_F(MainFormTest, ReadingsAreShownAndTypedWithTheirOptions) {
    Start();
    SelectCombo(1);
    ASSERT_TRUE(Form->PortOpen());
    EXPECT_EQ(Form->windowTitle(), "Vantro (Active On COM1)");
    Form->TermKeyCombo->setCurrentIndex(1);
    Form->TermKeyComboClick();

    ASSERT_TRUE(TypedAfter(Gauge1, "-0012.345\r", "-0012.345{ENTER}"));
    EXPECT_EQ(Shown(), "-0012.345");
    EXPECT_EQ(Keyboard.WaitedSends, 1);  // the postamble waits until it was processed
    // Shown: what the display says afterwards (nullptr: not checked).
    const struct {
        const char *sent, *typed, *shown;
        bool numFilter, comma;
    } readings[] = {{"+0012.345\r", "{+}0012.345{ENTER}", "+0012.345", false, false},
                    {"+0012.345\r", "0012.345{ENTER}", nullptr, true, false},
                    {"12.5\r", "12,5{ENTER}", "12,5", true, true},
                    {"12.345 mm\r", "12.345{ENTER}", "12.345", true, false},
                    {"\r", "{ENTER}", nullptr, true, false}};
    for (const auto& r : readings) {
        Keyboard.Typed.clear();
        Form->NumFilter->setChecked(r.numFilter);
        Form->CommaSeperator->setChecked(r.comma);
        ASSERT_TRUE(TypedAfter(Gauge1, r.sent, r.typed)) << r.sent << " typed " << Keyboard.Typed;
        if (r.shown != nullptr) {
            EXPECT_EQ(Shown(), r.shown);
        }
    }
    Keyboard.Typed.clear();

    Form->TermKeyCombo->setCurrentIndex(0);
    Form->TermKeyComboClick();
    ASSERT_TRUE(TypedAfter(Gauge1, "7\r", "7"));
    EXPECT_EQ(Beeps, 0);
}

TEST_F(MainFormTest, NoReadingIsLostInABatchOrBetweenBatches) {
    Start();
    SelectCombo(1);
    Form->TermKeyCombo->setCurrentIndex(2);
    Form->TermKeyComboClick();
    Form->BeepOnInput->setChecked(true);
    ASSERT_TRUE(TypedAfter(Gauge1, "1.0\r2.0\r", "1.0{TAB}2.0{TAB}"));
    EXPECT_EQ(Shown(), "2.0");
    EXPECT_EQ(Beeps, 2);
    Keyboard.Typed.clear();
    // Text after the last CR waits for the rest of its line.
    Gauge1.Send("3.0\r4.");
    ASSERT_TRUE(WaitUntil([&] { return Keyboard.Typed == "3.0{TAB}"; }));
    ASSERT_TRUE(TypedAfter(Gauge1, "5\r", "3.0{TAB}4.5{TAB}"));
    Keyboard.Typed.clear();
    // A line that never ends is dropped past the limit; the readings after it are whole.
    Gauge1.Send(std::string(5000, '9') + "\r6\r");
    ASSERT_TRUE(WaitUntil([&] { return Keyboard.Typed.ends_with("6{TAB}"); }));
    EXPECT_LT(Keyboard.Typed.size(), 5000u);
}

TEST_F(MainFormTest, CompactDisplayFormAndLayout) {
    Start();
    SelectCombo(1);
    Form->MHide->trigger();
    ASSERT_TRUE(Form->SettingsHidden());
    EXPECT_TRUE(Form->MHide->isChecked());
    EXPECT_FALSE(Form->Frame1->isVisibleTo(Form.get()));
    EXPECT_FALSE(Form->Label6->isVisibleTo(Form.get()));
    EXPECT_EQ(Form->Display->geometry().topLeft(), QPoint(0, 0));
    EXPECT_EQ(Form->Display->height(), 100);
    EXPECT_EQ(Form->Display->font().pointSize(), 60);

    Gauge1.Send("-1.5\r");
    ASSERT_TRUE(WaitUntil([&] { return Shown() == " -001.5000"; })) << Shown();
    Gauge1.Send("2\r");
    ASSERT_TRUE(WaitUntil([&] { return Shown() == "  002.0000"; })) << Shown();
    Gauge1.Send("\r");
    ASSERT_TRUE(WaitUntil([&] { return Shown() == "  000.0000"; })) << Shown();
    EXPECT_EQ(Keyboard.Typed, "-1.52");  // typing is unchanged by the compact display

    Form->MHide->trigger();
    EXPECT_FALSE(Form->SettingsHidden());
    EXPECT_TRUE(Form->Display->text().isEmpty());
    EXPECT_TRUE(Form->Frame1->isVisibleTo(Form.get()));
    EXPECT_EQ(Form->Display->geometry().topLeft(), QPoint(16, 285));
    EXPECT_EQ(Form->Display->font().pointSize(), 9);
}

TEST_F(MainFormTest, LumoAdapterFollowUpIsDiscardedButNothingElse) {
    Start();
    SelectCombo(1);
    Form->LumoRS232->setChecked(true);  // reopens the open port with the new line control
    EXPECT_TRUE(Form->PortOpen());
    EXPECT_EQ(Form->Line.FlowIndex, 3);

    ASSERT_TRUE(TypedAfter(Gauge1, "1.0\r", "1.0"));
    // About 200 ms later the wedge asks once more.
    EXPECT_EQ(Gauge1.Receive(2, 10s, PumpEvents), "?\r");
    EXPECT_TRUE(Form->Lumo.RequestPending);
    // Its answer is dropped, but a reading behind it in the same batch is not.
    ASSERT_TRUE(TypedAfter(Gauge1, "9.9\r3.0\r", "1.03.0"));
    EXPECT_EQ(Shown(), "3.0");
    // That reading was unasked again, so another follow-up goes out.
    EXPECT_EQ(Gauge1.Receive(2, 10s, PumpEvents), "?\r");
    ASSERT_TRUE(TypedAfter(Gauge1, "8.8\r4.0\r", "1.03.04.0"));

    // A hot-key request is answered and typed without a follow-up.
    EXPECT_EQ(Gauge1.Receive(2, 10s, PumpEvents), "?\r");
    Gauge1.Send("7.7\r");
    ASSERT_TRUE(WaitUntil([&] { return !Form->Lumo.DiscardNext; }));
    Form->KbdHook(0);
    EXPECT_EQ(Gauge1.Receive(2, 10s, PumpEvents), "?\r");
    ASSERT_TRUE(TypedAfter(Gauge1, "5.0\r", "1.03.04.05.0"));
    EXPECT_FALSE(Form->Lumo.FollowUpDue);
}

TEST_F(MainFormTest, NothingIsTypedIntoTheWedgesOwnDialogs) {
    Start();
    SelectCombo(1);
    Form->TermKeyCombo->setCurrentIndex(1);
    Form->TermKeyComboClick();
    Form->BeepOnInput->setChecked(true);
    TAboutBox about(false, Form.get());
    about.show();
    about.activateWindow();
    ASSERT_TRUE(WaitUntil([&] { return QApplication::activeWindow() == &about; }));
    Gauge1.Send("7.5\r");
    ASSERT_TRUE(WaitUntil([&] { return Shown() == "7.5"; }));
    EXPECT_EQ(Beeps, 1);
    EXPECT_EQ(Keyboard.Typed, "");
    about.close();
    ASSERT_TRUE(WaitUntil([&] { return QApplication::activeWindow() == nullptr; }));
    ASSERT_TRUE(TypedAfter(Gauge1, "8\r", "8{ENTER}"));
}

TEST_F(MainFormTest, HotKeysOnlyWhileThePortIsOpen) {
    Start();
    Form->KbdHook(0);
    EXPECT_TRUE(HotKeys.Registered.empty());
    EXPECT_EQ(Form->HotKeyFromCommandLine(120), "the port is closed; nothing requested");
    SelectCombo(2);
    ASSERT_TRUE(Form->PortOpen());
    EXPECT_EQ(HotKeys.Registered, (std::map<int, int>{{0, 120}, {1, 121}, {2, 122}}));
    Form->KbdHook(0);
    EXPECT_EQ(Gauge2.Receive(2, 10s, PumpEvents), "?\r");
    EXPECT_TRUE(Form->Lumo.RequestPending);
    Form->KbdHook(1);  // break and DTR pulses: a pty has neither, nothing is written
    Form->KbdHook(2);
    Form->KbdHook(3);
    Form->KbdHook(7);
    EXPECT_EQ(Gauge2.Receive(1, 300ms, PumpEvents), "");
    HotKeys.OnHotKey(0);  // as the display server reports a press
    EXPECT_EQ(Gauge2.Receive(2, 10s, PumpEvents), "?\r");
    EXPECT_EQ(Form->HotKeyFromCommandLine(120), "ok");  // `Vantro --hotkey F9`
    EXPECT_EQ(Gauge2.Receive(2, 10s, PumpEvents), "?\r");
    EXPECT_EQ(Form->HotKeyFromCommandLine(123), "it is not one of the wedge's hot keys");

    SelectCombo(0);
    EXPECT_FALSE(Form->PortOpen());
    EXPECT_TRUE(HotKeys.Registered.empty());
    EXPECT_EQ(Form->HotKeyRegistered, (std::array<int, 4>{0, 0, 0, 0}));
    Form->KbdHook(0);
    EXPECT_EQ(Gauge2.Receive(1, 300ms, PumpEvents), "");
}

TEST_F(MainFormTest, AGaugeThatGoesAwayClosesThePortAndIsReported) {
    Start();
    SelectCombo(1);
    ASSERT_TRUE(TypedAfter(Gauge1, "1.5\r", "1.5"));
    Gauge1.HangUp();
    ASSERT_TRUE(WaitUntil([&] { return !Messages.empty(); }));
    EXPECT_TRUE(Messages[0].starts_with("Error: ")) << Messages[0];
    EXPECT_FALSE(Form->PortOpen());
    EXPECT_EQ(Form->windowTitle(), "Vantro (Inactive)");
    EXPECT_TRUE(HotKeys.Registered.empty());
    EXPECT_EQ(Form->Combo1->currentIndex(), 1);  // still chosen, to be reopened
    // The other gauge still works.
    SelectCombo(2);
    ASSERT_TRUE(TypedAfter(Gauge2, "2\r", "1.52"));
    EXPECT_EQ(Messages.size(), 1u);
}

TEST_F(MainFormTest, PortSelectorsFollowEachOtherAndFailuresAreReported) {
    Start();
    Form->Option1[2]->click();
    EXPECT_EQ(Form->Combo1->currentIndex(), 2);
    EXPECT_EQ(Form->windowTitle(), "Vantro (Active On COM2)");
    SelectCombo(1);
    EXPECT_TRUE(Form->Option1[1]->isChecked());
    EXPECT_FALSE(Form->Option1[2]->isChecked());
    SelectCombo(9);  // beyond the option buttons: none of them is marked
    for (QRadioButton* option : Form->Option1) EXPECT_FALSE(option->isChecked());
    ASSERT_EQ(Messages.size(), 1u);  // nothing mapped to COM9
    EXPECT_TRUE(Messages[0].starts_with("Error: ")) << Messages[0];
    EXPECT_FALSE(Form->PortOpen());
    EXPECT_EQ(Form->windowTitle(), "Vantro (Inactive)");  // as the closing of COM1 left it
    EXPECT_FALSE(Form->Timer1.isActive());

    Form->Option1[3]->click();
    ASSERT_EQ(Messages.size(), 2u);
    EXPECT_NE(Messages[1].find("/dev/no-such-serial-device"), std::string::npos);
    EXPECT_EQ(Form->KeyRouteLabel->text(), "Port COM3 not opened");
    EXPECT_TRUE(Form->KeyRouteLabel->toolTip().startsWith(
        QStringLiteral("Port COM3 not opened: /dev/no-such-serial-device")))
        << Form->KeyRouteLabel->toolTip().toStdString();
    Form->Option1[2]->click();
    EXPECT_TRUE(Form->PortOpen());
    EXPECT_TRUE(Form->KeyRouteLabel->text().startsWith(QStringLiteral("Typing: ")));
    Exit();
    EXPECT_EQ(ReadSetting("ComPort"), 2);  // the port in use
}

TEST_F(MainFormTest, SettingsRoundTripAndLogOnEntry) {
    Start();
    SelectCombo(2);
    Form->LumoRS232->setChecked(true);
    Form->CommaSeperator->setChecked(true);
    Form->BeepOnInput->setChecked(true);
    Form->NumFilter->setChecked(true);
    Form->LoadWithWindows->setChecked(true);
    Form->TermKeyCombo->setCurrentIndex(6);
    Form->TermKeyComboClick();
    Form->mLang[4]->trigger();
    Form->MHide->trigger();
    Exit();
    const QString entry = Home.path() + "/autostart/Vantro.desktop";
    EXPECT_TRUE(QFile::exists(entry));
    EXPECT_FALSE(Gauge2.DevicePath().empty());

    Start();
    EXPECT_TRUE(Form->PortOpen());  // opened during start-up, before the window shows
    EXPECT_FALSE(Form->isVisible());
    EXPECT_EQ(Form->Combo1->currentIndex(), 2);
    EXPECT_TRUE(Form->Option1[2]->isChecked());
    EXPECT_TRUE(Form->LumoRS232->isChecked());
    EXPECT_EQ(Form->Line.FlowIndex, 3);
    EXPECT_TRUE(Form->CommaSeperator->isChecked());
    EXPECT_TRUE(Form->BeepOnInput->isChecked());
    EXPECT_TRUE(Form->NumFilter->isChecked());
    EXPECT_TRUE(Form->LoadWithWindows->isChecked());
    EXPECT_EQ(Form->PostambleKeys, "{UP}");
    EXPECT_TRUE(Form->mLang[4]->isChecked());
    EXPECT_EQ(Form->HelpFile, "VNItal.hlp");
    EXPECT_TRUE(Form->SettingsHidden());
    EXPECT_EQ(Form->Display->height(), 100);
    // The caption comes from the port opening, which always speaks English.
    EXPECT_EQ(Form->windowTitle(), "Vantro (Active On COM2)");

    Form->LoadWithWindows->setChecked(false);
    Exit();
    EXPECT_FALSE(QFile::exists(entry));
}

TEST_F(MainFormTest, UnreadableStoredValuesFallBackToDefaults) {
    {
        QSettings raw("Vantro", "Vantro");
        raw.setValue("Settings/Language", "9");
        raw.setValue("Settings/Postamble", "44");
        raw.setValue("Settings/ComPort", "-3");
        raw.setValue("Settings/Beep", "x");
    }
    Start();
    EXPECT_TRUE(Form->mLang[0]->isChecked());
    EXPECT_EQ(Form->PostambleKeys, "");
    EXPECT_FALSE(Form->PortOpen());
    EXPECT_FALSE(Form->BeepOnInput->isChecked());
}

TEST_F(MainFormTest, PortSetupBuildsTheLineParameters) {
    Start();
    QTimer::singleShot(0, [this] {
        auto* dialog = Form->findChild<TPortSetup*>();
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->windowTitle(), "Vantro Serial Port Settings");
        EXPECT_EQ(dialog->BaudCombo->currentText(), "4800");
        EXPECT_EQ(dialog->ParityCombo->currentText(), "Even");
        dialog->BaudCombo->setCurrentIndex(6);
        dialog->ParityCombo->setCurrentIndex(0);
        dialog->DataBitsCombo->setCurrentIndex(3);
        dialog->StopBitsCombo->setCurrentIndex(2);
        dialog->FlowCtrlCombo->setCurrentIndex(1);
        dialog->OK_Button->click();
    });
    Form->MSettingsClick();
    EXPECT_EQ(Form->PortSettings, "9600,N,8,2,X");
    EXPECT_EQ(Form->Line.FlowIndex, 1);

    QTimer::singleShot(0, [this] {
        auto* dialog = Form->findChild<TPortSetup*>();
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->FlowCtrlCombo->currentIndex(), 1);
        dialog->BaudCombo->setCurrentIndex(0);
        dialog->Cancel_Button->click();
    });
    Form->MSettingsClick();
    EXPECT_EQ(Form->PortSettings, "9600,N,8,2,X");

    // The new parameters are used at the next opening; a new start forgets them.
    SelectCombo(1);
    EXPECT_TRUE(Form->PortOpen());
    Exit();
    Start();
    EXPECT_EQ(Form->PortSettings, "4800,E,7,2");
}

TEST_F(MainFormTest, PortSetupGivesAPortADeviceByItsStableName) {
    QTemporaryDir folder;
    const tavrix::testing::PortFolders folders(folder.path().toStdString());
    const std::string link = folders.byId + "/usb-Maker_RS232_Adapter_AB12-if00-port0";
    auto plug = [&](const TPtyGauge& gauge) { folders.Link(link, gauge.DevicePath()); };
    auto choose = [&](int entry, const char* shown) {
        QTimer::singleShot(0, [&, entry, shown] {
            auto* dialog = Form->findChild<TPortSetup*>();
            ASSERT_NE(dialog, nullptr);
            EXPECT_TRUE(dialog->DeviceCombo->isEnabled());
            EXPECT_TRUE(dialog->DeviceCombo->currentText().contains(shown))
                << dialog->DeviceCombo->currentText().toStdString();
            if (entry >= 0) dialog->DeviceCombo->setCurrentIndex(entry);
            dialog->OK_Button->click();
        });
        Form->MSettingsClick();
    };
    plug(Gauge2);
    Start();
    Form->ListPorts = [&] { return serial_ports::ListSystemPorts(folders); };
    SelectCombo(3);  // mapped to a device that does not exist
    EXPECT_FALSE(Form->PortOpen());
    Messages.clear();
    choose(1, "/dev/no-such-serial-device");
    EXPECT_EQ(QSettings("Vantro", "Vantro").value("Ports/COM3").toString().toStdString(), link);
    EXPECT_EQ(Form->Combo1->itemText(3).toStdString(), "COM3 (" + link + ")");
    SelectCombo(3);
    ASSERT_TRUE(Form->PortOpen());
    ASSERT_TRUE(TypedAfter(Gauge2, "1.25\r", "1.25"));

    // Re-plugged as another tty: the stored name leads to it.
    SelectCombo(0);
    plug(Gauge1);
    Keyboard.Typed.clear();
    SelectCombo(3);
    choose(-1, "Maker RS232 Adapter AB12");
    ASSERT_TRUE(Form->PortOpen());
    ASSERT_TRUE(TypedAfter(Gauge1, "2.5\r", "2.5"));
    EXPECT_TRUE(Messages.empty());

    // Unplugged: offered as not attached, kept by OK.
    SelectCombo(0);
    std::filesystem::remove(link);
    SelectCombo(3);
    choose(-1, "not attached");
    EXPECT_EQ(QSettings("Vantro", "Vantro").value("Ports/COM3").toString().toStdString(), link);
}

TEST_F(MainFormTest, APortTheUserMayNotOpenIsToldInTheStatusLineAndOnce) {
    tavrix::testing::ForbidToOtherUser(Gauge1.DevicePath().c_str());
    const int faults = tavrix::testing::RunWithoutRootRights([this] {
        Start();
        for (int attempt = 0; attempt < 2; ++attempt) {
            SelectCombo(1);
            SelectCombo(0);
        }
        const std::string path = Gauge1.DevicePath();
        const QLabel* line = Form->KeyRouteLabel;
        const std::string advice = line->toolTip().toStdString();
        const bool told = line->text().toStdString() == "No permission for " + path &&
                          advice.find(path) != std::string::npos &&
                          advice.find("dialout") != std::string::npos;
        const bool once = Messages.size() == 1 && Messages[0] == advice;
        // Said again in the new language, and whole in the line of the shown window.
        Form->show();
        Form->mLang[LangGerman]->trigger();
        const bool german = line->text().toStdString() == "Keine Berechtigung für " + path &&
                            line->toolTip().contains(QStringLiteral("Gruppe dialout")) &&
                            line->fontMetrics().horizontalAdvance(line->text()) <= line->width();
        Exit();
        return (told ? 0 : 1) + (once ? 0 : 2) + (german ? 0 : 4);
    });
    EXPECT_EQ(faults, 0) << "1: no status line, 2: not one message, 4: not in German or cut";
}

TEST_F(MainFormTest, LanguageSwitchRewritesTheCaptions) {
    Start();
    // The status line too, its reason left to the tooltip.
    Form->ShowKeyRoutes(
        {TStatusText::TypingNoneBecause,
         {"uinput", {TStatusText::UinputNoModule, {"/dev/uinput", "No such file"}}}},
        "X11");
    Form->mLang[1]->trigger();
    EXPECT_EQ(Form->KeyRouteLabel->text(), "Tippen: keine (uinput) | Tastenkürzel: X11");
    EXPECT_TRUE(Form->KeyRouteLabel->toolTip().contains(QStringLiteral("modprobe uinput")))
        << Form->KeyRouteLabel->toolTip().toStdString();
    EXPECT_EQ(Text("FilePullDown"), "&Datei");
    EXPECT_EQ(Text("HelpAbout"), "&Aufgabe");
    EXPECT_EQ(Text("Label7"), "Schnittstelle:");
    EXPECT_EQ(Text("NumFilter"), "Filtern Sie nicht numerische Zeichen heraus");
    EXPECT_EQ(Form->HelpFile, "VNGerman.hlp");

    Form->mLang[3]->trigger();  // Spanish: only the help file and the check mark
    EXPECT_EQ(Text("FilePullDown"), "&Datei");
    EXPECT_EQ(Form->HelpFile, "VNSpan.hlp");
    EXPECT_TRUE(Form->mLang[3]->isChecked());
    EXPECT_FALSE(Form->mLang[1]->isChecked());
    EXPECT_EQ(Text("mLang(3)"), "&Spanish");

    Form->mLang[2]->trigger();
    EXPECT_EQ(Text("Label6"),
              "Pas 3: Si les données sont correctes, ouvrir une nouvelle application sans quitter "
              "Vantro. Lorsque vous transmettrez des données depuis votre instrument, celles-ci "
              "seront envoyées dans votre application comme si vous les aviez entré au clavier.");
    EXPECT_EQ(Text("Frame2"), "Préférences:");
    EXPECT_EQ(Form->windowTitle(), "Vantro (Inactive)");

    SelectCombo(2);
    Form->mLang[4]->trigger();
    EXPECT_EQ(Form->windowTitle(), "Vantro (Porta attiva COM2)");
    EXPECT_TRUE(
        Text("Label6").endsWith("sarà inviatonella casella attiva dell'applicazione in uso "
                                "come se provenisse da tastiera. "));
    Form->TogglePort();
    Form->TogglePort();
    EXPECT_EQ(Form->windowTitle(), "Vantro (Active On COM2)");
    Form->mLang[1]->trigger();
    EXPECT_EQ(Form->windowTitle(), "Vantro (Serielle Eingang COM2)");
    Form->mLang[0]->trigger();
    EXPECT_EQ(Text("Label7"), "Port:");
    EXPECT_EQ(Text("FileExit"), "E&xit");
}

TEST_F(MainFormTest, SpanishAtFirstStartKeepsTheDesignedCaptions) {
    {
        QSettings raw("Vantro", "Vantro");
        raw.setValue("Settings/Language", "3");
    }
    Start();
    EXPECT_EQ(Text("Label7"), "COM Port:");
    EXPECT_EQ(Text("Frame1"), "Port:");
    EXPECT_EQ(Form->HelpFile, "VNSpan.hlp");
}

TEST_F(MainFormTest, HelpIndexFollowsTheLanguageAndTheFilesShip) {
    Start();
    Form->HelpIndex->trigger();
    Form->mLang[2]->trigger();
    Form->HelpIndexClick();
    EXPECT_EQ(HelpOpened, (std::vector<std::string>{"Vantro.hlp", "VNFrench.hlp"}));
    EXPECT_EQ(Form->HelpIndex->shortcut(), QKeySequence(Qt::Key_F1));

    qputenv("VANTRO_HELP_DIR", VANTRO_HELP_SOURCE_DIR);
    for (const char* file :
         {"Vantro.Hlp", "VNGerman.hlp", "VNFrench.hlp", "VNSpan.hlp", "VNItal.hlp"}) {
        EXPECT_FALSE(FindHelpFile(file).empty()) << file;
        THelpWindow window(nullptr);
        window.ShowIndex(file);
        const QString text = window.Browser()->toPlainText();
        EXPECT_TRUE(text.contains("F9")) << file;
        EXPECT_TRUE(text.contains("F11")) << file;
    }
    THelpWindow missing(nullptr);
    missing.ShowIndex("Nowhere.hlp");
    EXPECT_TRUE(missing.Browser()->toPlainText().contains("Nowhere.hlp"));

    TAboutBox about(false);
    EXPECT_EQ(about.windowTitle(), "About Vantro");
    EXPECT_EQ(about.Label1->text(), "Vantro For Sylvac Measuring Tools");
    ASSERT_NE(about.OkButton, nullptr);
    TAboutBox splash(true);
    EXPECT_EQ(splash.OkButton, nullptr);
    EXPECT_EQ(splash.height(), 330);
}

TEST_F(MainFormTest, HalfAReadingDiesWithItsPort) {
    Start();
    // Each way a port ends or begins, and the gauge that sends next.
    struct TChange {
        const char* name;
        std::function<void()> change;
        TPtyGauge* next;
    };
    const std::vector<TChange> changes = {
        {"another port", [&] { SelectCombo(2); }, &Gauge2},
        {"closed and opened again",
         [&] {
             SelectCombo(0);
             SelectCombo(2);
         },
         &Gauge2},
        {"lost",
         [&] {
             Gauge2.HangUp();
             ASSERT_TRUE(WaitUntil([&] { return !Form->PortOpen(); }));
             EXPECT_EQ(Form->PartialReading(), "");
             EXPECT_EQ(Shown(), "");
             SelectCombo(1);
         },
         &Gauge1},
        {"reopened for the duplex adapter", [&] { Form->LumoRS232->setChecked(true); }, &Gauge1},
    };
    SelectCombo(1);
    TPtyGauge* gauge = &Gauge1;
    std::string typed;
    for (const TChange& step : changes) {
        SCOPED_TRACE(step.name);
        ASSERT_TRUE(TypedAfter(*gauge, "9\r", typed + "9"));
        typed += "9";
        EXPECT_EQ(Shown(), "9");
        gauge->Send("12.3");
        ASSERT_TRUE(WaitUntil([&] { return Form->PartialReading() == "12.3"; }));
        step.change();
        ASSERT_TRUE(Form->PortOpen());
        EXPECT_EQ(Form->PartialReading(), "");
        EXPECT_EQ(Shown(), "");
        gauge = step.next;
        ASSERT_TRUE(TypedAfter(*gauge, "4\r", typed + "4"));
        typed += "4";
    }
    EXPECT_EQ(Messages.size(), 1u);  // the lost line
}

TEST_F(MainFormTest, BreakAndDtrHotKeysPulseTheirLineFor155Ms) {
    Start();
    TRecordingModemLines lines;
    Form->MSComm1.SetModemLines(&lines);
    SelectCombo(1);
    ASSERT_TRUE(Form->PortOpen());
    struct TPulse {
        int hotKey;
        const char* line;
        bool pulseOn;  // the state during the pulse
    };
    for (const TPulse pulse : {TPulse{1, "break", true}, TPulse{2, "dtr", false}}) {
        SCOPED_TRACE(pulse.line);
        lines.Changes.clear();
        Form->KbdHook(pulse.hotKey);
        ASSERT_EQ(lines.Changes.size(), 2u);
        EXPECT_EQ(lines.Changes[0].Line, pulse.line);
        EXPECT_EQ(lines.Changes[1].Line, pulse.line);
        EXPECT_EQ(lines.Changes[0].On, pulse.pulseOn);
        EXPECT_EQ(lines.Changes[1].On, !pulse.pulseOn);
        const auto held = lines.Changes[1].At - lines.Changes[0].At;
        EXPECT_GE(held, 155ms);
        EXPECT_LT(held, 2s);
        EXPECT_TRUE(Form->Lumo.RequestPending);
    }
    // The request text moves no line.
    lines.Changes.clear();
    Form->KbdHook(0);
    EXPECT_EQ(Gauge1.Receive(2, 10s, PumpEvents), "?\r");
    EXPECT_TRUE(lines.Changes.empty());
    Form->MSComm1.SetModemLines(nullptr);
}

TEST_F(MainFormTest, DsrChangedBeforeTheDuplexFlowIsChosenAsksForNothing) {
    Start();
    TRecordingModemLines lines;
    Form->MSComm1.SetModemLines(&lines);
    SelectCombo(1);
    ASSERT_TRUE(Form->PortOpen());
    // The gauge raised DSR while the port was open without the adapter's flow.
    lines.DsrOn = true;
    QTimer::singleShot(0, [this] {
        auto* dialog = Form->findChild<TPortSetup*>();
        ASSERT_NE(dialog, nullptr);
        dialog->FlowCtrlCombo->setCurrentIndex(3);
        dialog->OK_Button->click();
    });
    Form->MSettingsClick();
    ASSERT_EQ(Form->Line.FlowIndex, 3);
    // Nothing changed since the flow was chosen, so nothing is asked for, however many
    // timer ticks (a follow-up goes on the fourth) look at DSR.
    const int reads = lines.DsrReads;
    ASSERT_TRUE(WaitUntil([&] { return lines.DsrReads >= reads + 8; }));
    EXPECT_EQ(Gauge1.Receive(1, 300ms, PumpEvents), "");
    EXPECT_FALSE(Form->Lumo.FollowUpDue);
    // A change from now on asks as it should.
    lines.DsrOn = false;
    const int beforeDrop = lines.DsrReads;
    ASSERT_TRUE(WaitUntil([&] { return lines.DsrReads > beforeDrop; }));
    EXPECT_EQ(Gauge1.Receive(1, 300ms, PumpEvents), "");
    lines.DsrOn = true;
    EXPECT_EQ(Gauge1.Receive(2, 10s, PumpEvents), "?\r");
    Form->MSComm1.SetModemLines(nullptr);
}
