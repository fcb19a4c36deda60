// Line parameters, COM port mapping, captions per language, stored settings and the
// log-on entry.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <array>
#include <set>

#include "auto_start.h"
#include "language_table.h"
#include "line_parameters.h"
#include "port_map.h"
#include "settings_store.h"

TEST(LineParameters, ParseTheDefaultAndFlowLetters) {
    // Fields: baud, parity, data bits, stop bits, flow (list positions).
    struct tCase {
        const char* text;
        TLineParameters before, after;
    };
    const tCase cases[] = {
        {"4800,E,7,2", {}, {5, 2, 2, 2, 0}},  // from the start-up defaults
        {"19200,O,5,1.5,T", {5, 2, 2, 2, 0}, {7, 1, 0, 1, 3}},
        // An unknown rate and no flow letter leave those positions as they were.
        {"57600,S,6,1", {7, 1, 0, 1, 3}, {7, 4, 1, 0, 3}},
    };
    const auto fields = [](const TLineParameters& p) {
        return std::array{p.BaudIndex, p.ParityIndex, p.DataBitsIndex, p.StopBitsIndex,
                          p.FlowIndex};
    };
    for (const tCase& c : cases) {
        TLineParameters params = c.before;
        ParsePortSettings(c.text, params);
        EXPECT_EQ(fields(params), fields(c.after)) << c.text;
    }
}

TEST(LineParameters, BuildRoundTripsAndFallsBack) {
    TLineParameters params{6, 0, 3, 2, 1};  // 9600, None, 8, 2, Xon/Xoff
    EXPECT_EQ(BuildPortSettings(params), "9600,N,8,2,X");
    for (int flow = 0; flow < 4; ++flow) {
        TLineParameters all{flow + 2, flow, flow, flow % 3, flow};
        TLineParameters back{0, 0, 0, 0, 0};
        ParsePortSettings(BuildPortSettings(all), back);
        EXPECT_EQ(BuildPortSettings(back), BuildPortSettings(all));
    }
    EXPECT_EQ(BuildPortSettings({99, -1, 9, 7, 9}), "4800,E,7,1");
}

TEST(LineParameters, DecodeRefusesMalformedText) {
    const TDecodedLine line = DecodePortSettings("9600,N,8,1.5,P");
    ASSERT_TRUE(line.Ok);
    EXPECT_EQ(line.Baud, 9600);
    EXPECT_EQ(line.Parity, 'N');
    EXPECT_EQ(line.DataBits, 8);
    EXPECT_EQ(line.StopBitsTenths, 15);
    for (const char* bad : {"", "4800", "4800,E,7", "fast,E,7,2", "4800,Q,7,2", "4800,E,9,2",
                            "4800,E,7,3", "4800,E,7,2,Z", "-4800,E,7,2", "4800,E,7,2,X,X"}) {
        const TDecodedLine refused = DecodePortSettings(bad);
        EXPECT_FALSE(refused.Ok) << bad;
        EXPECT_FALSE(refused.Error.empty()) << bad;
    }
}

TEST(PortMap, SystemOrderOverridesAndLabels) {
    EXPECT_EQ(OrderSerialDevices({"/dev/ttyUSB0", "/dev/ttyS10", "/dev/ttyACM0", "/dev/ttyS2",
                                  "/dev/rfcomm0", "/dev/ttyS2"}),
              (std::vector<std::string>{"/dev/ttyS2", "/dev/ttyS10", "/dev/ttyUSB0", "/dev/ttyACM0",
                                        "/dev/rfcomm0"}));
    const auto overrides =
        ParsePortOverrides(" 2=/dev/pts/7 ; COM16=/dev/x, 17=/dev/y;0=/z;a=/b;3=");
    EXPECT_EQ(overrides.size(), 2u);
    const TPortMap map({"/dev/ttyUSB0", "/dev/ttyS0"}, overrides);
    EXPECT_EQ(map.Label(1), "COM1 (/dev/ttyS0)");
    EXPECT_EQ(map.DevicePath(2), "/dev/pts/7");
    EXPECT_EQ(map.DevicePath(16), "/dev/x");
    EXPECT_EQ(map.Label(3), "COM3");
    EXPECT_EQ(map.DevicePath(0), "");
}

TEST(LanguageTable, CaptionsHelpFilesAndOpenCaptions) {
    EXPECT_TRUE(CaptionsFor(LangSpanish).empty());
    EXPECT_EQ(HelpFileFor(LangSpanish), "VNSpan.hlp");
    EXPECT_EQ(HelpFileFor(99), "Vantro.hlp");
    // Every language names the same controls in the same order.
    const auto english = CaptionsFor(LangEnglish);
    for (int language : {LangGerman, LangFrench, LangItalian}) {
        const auto captions = CaptionsFor(language);
        size_t matched = 0;
        for (const auto& [control, text] : captions) {
            if (!control.starts_with('+')) {
                ASSERT_LT(matched, english.size());
                EXPECT_EQ(control, english[matched++].first) << language;
            }
            EXPECT_FALSE(text.empty());
        }
        EXPECT_EQ(matched, english.size()) << language;
    }
    EXPECT_EQ(OpenCaption(LangItalian, "2"), "Vantro (Porta attiva COM2)");
    EXPECT_EQ(OpenCaption(LangSpanish, "2"), "Vantro (Active On COM2)");
    EXPECT_EQ(ClosedCaption(), "Vantro (Inactive)");
}

// Rows: each status text of each language of the window against the English one.
TEST(LanguageTable, EveryStatusTextIsTranslatedWithItsDetails) {
    const auto details = [](const std::string& text) {
        std::multiset<std::string> found;
        for (size_t at = text.find('%'); at != std::string::npos; at = text.find('%', at + 1)) {
            found.insert(text.substr(at, 2));
        }
        return found;
    };
    for (int id = int(TStatusText::StatusLine); id < int(TStatusText::Count); ++id) {
        const std::string english = StatusTemplate(LangEnglish, TStatusText(id));
        ASSERT_FALSE(english.empty()) << "text " << id;
        for (int language : {LangGerman, LangFrench, LangItalian}) {
            const std::string text = StatusTemplate(language, TStatusText(id));
            SCOPED_TRACE("text " + std::to_string(id) + ", language " + std::to_string(language));
            EXPECT_FALSE(text.empty());
            EXPECT_NE(text, english);
            EXPECT_EQ(details(text), details(english)) << text;
        }
    }

    // Details go where each language puts them, are not read as texts again, and
    // Spanish speaks English.
    const TStatusMessage noModule(
        TStatusText::TypingNoneBecause,
        {"uinput", {TStatusText::UinputNoModule, {"/tmp/%2", "No such file"}}});
    EXPECT_EQ(StatusText(LangGerman, noModule),
              "keine, uinput: /tmp/%2 lässt sich nicht öffnen: No such file (Kernelmodul laden: "
              "modprobe uinput)");
    EXPECT_EQ(StatusText(LangSpanish, noModule), StatusText(LangEnglish, noModule));
    // The line keeps the reason for its tooltip.
    EXPECT_EQ(StatusText(LangGerman, Brief({TStatusText::StatusLine,
                                            {noModule, TStatusText::HotKeysNotBound}})),
              "Tippen: keine (uinput) | Tastenkürzel: vom Desktop nicht belegt");
    const TStatusMessage bound(
        TStatusText::HotKeysBound,
        {TStatusMessage(TStatusText::List, {{TStatusText::HotKeyOn, {"F9", "Ctrl+F9"}}, "F10"})});
    EXPECT_EQ(StatusText(LangFrench, bound), "portail (F9 sur Ctrl+F9, F10)");
    EXPECT_EQ(StatusText(LangItalian, {TStatusText::StatusLine, {"X11 (XTest)", "X11"}}),
              "Digitazione: X11 (XTest) | Tasti rapidi: X11");
}

class StoredSettings : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(Home.isValid());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, Home.path());
        qputenv("XDG_CONFIG_HOME", Home.path().toUtf8());
    }
    QTemporaryDir Home;
};

TEST_F(StoredSettings, TextValuesWithZeroForMissingOrUnreadable) {
    EXPECT_EQ(ReadSetting("Beep"), 0);
    WriteSetting("ComPort", 3);
    WriteSetting("Language", 4);
    EXPECT_EQ(ReadSetting("ComPort"), 3);
    QFile file(Home.path() + "/Vantro/Vantro.conf");
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray text = file.readAll();
    EXPECT_TRUE(text.contains("[Settings]")) << text.constData();
    EXPECT_TRUE(text.contains("ComPort=3")) << text.constData();
    {
        QSettings raw("Vantro", "Vantro");
        raw.setValue("Settings/Beep", "yes");
    }
    EXPECT_EQ(ReadSetting("Beep"), 0);
}

TEST_F(StoredSettings, AutoStartEntryIsWrittenAndRemoved) {
    const QString entry = Home.path() + "/autostart/Vantro.desktop";
    EXPECT_TRUE(
        SetAutoStart(true, "Vantro", DesktopExecValue("/opt/my tools/Vantro"), true, false));
    QFile file(entry);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray text = file.readAll();
    EXPECT_TRUE(text.startsWith("[Desktop Entry]\n"));
    EXPECT_TRUE(text.contains("Exec=\"/opt/my tools/Vantro\"\n")) << text.constData();
    file.close();
    EXPECT_TRUE(SetAutoStart(false, "Vantro", "", true, false));
    EXPECT_FALSE(QFile::exists(entry));
    EXPECT_TRUE(SetAutoStart(false, "Vantro", "", true, false));  // already gone: still fine
    EXPECT_EQ(DesktopExecValue("/usr/bin/Vantro"), "/usr/bin/Vantro");
    EXPECT_EQ(DesktopExecValue("/a b/$x"), "\"/a b/\\\\$x\"");
    // A literal percent sign would otherwise start a field code and spoil the command.
    EXPECT_EQ(DesktopExecValue("/opt/100%/Vantro"), "/opt/100%%/Vantro");
    EXPECT_EQ(DesktopExecValue("/my 50%/Vantro"), "\"/my 50%%/Vantro\"");
}
