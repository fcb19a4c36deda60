// The serial line against a real pseudo-terminal.

#include <gtest/gtest.h>

#include <QCoreApplication>

#include "offscreen_app.h"
#include "pty_gauge.h"
#include "serial_line.h"

using namespace std::chrono_literals;

static auto* const kApp = ::testing::AddGlobalTestEnvironment(new TOffscreenApp);

TEST(SerialLine, ReceivesAndSendsOverAPty) {
    TPtyGauge gauge;
    TSerialLine line;
    int notices = 0;
    QObject::connect(&line, &TSerialLine::DataArrived, [&] { ++notices; });
    ASSERT_TRUE(line.Open(gauge.DevicePath(), "4800,E,7,2", 0)) << line.ErrorText();
    EXPECT_TRUE(line.IsOpen());
    gauge.Send("1.5\r");
    QByteArray received;
    ASSERT_TRUE(WaitUntil([&] {
        received += line.ReadAvailable();
        return received.size() >= 4;
    }));
    EXPECT_EQ(received, QByteArray("1.5\r"));
    EXPECT_GE(notices, 1);
    ASSERT_TRUE(line.Write("?\r"));
    EXPECT_EQ(gauge.Receive(2, 5s), "?\r");
    // A pty has no modem lines: asking is harmless and the port stays usable.
    EXPECT_FALSE(line.Dsr().has_value());
    line.SetDtr(false);
    line.SetBreak(true);
    line.SetBreak(false);
    EXPECT_TRUE(line.IsOpen());
    line.Close();
    EXPECT_FALSE(line.IsOpen());
    EXPECT_FALSE(line.Write("?\r"));
}

TEST(SerialLine, EveryFlowChoiceOpensAndBadInputIsRefusedWithAReason) {
    TPtyGauge gauge;
    TSerialLine line;
    for (int flow = 0; flow < 4; ++flow) {
        EXPECT_TRUE(line.Open(gauge.DevicePath(), "9600,N,8,1", flow)) << flow << line.ErrorText();
        line.Close();
    }
    EXPECT_TRUE(line.Open(gauge.DevicePath(), "300,M,5,1.5,X", 1)) << line.ErrorText();
    line.Close();

    EXPECT_FALSE(line.Open("", "4800,E,7,2", 0));
    EXPECT_FALSE(line.ErrorText().empty());
    EXPECT_FALSE(line.Open("/dev/no-such-serial-device", "4800,E,7,2", 0));
    EXPECT_NE(line.ErrorText().find("/dev/no-such-serial-device"), std::string::npos);
    EXPECT_FALSE(line.Open(gauge.DevicePath(), "4800,Q,7,2", 0));
    EXPECT_NE(line.ErrorText().find("parity"), std::string::npos);
    EXPECT_FALSE(line.IsOpen());
}

TEST(SerialLine, AVanishedDeviceClosesThePortInsteadOfSpinning) {
    TPtyGauge gauge;
    TSerialLine line;
    int lost = 0;
    int notices = 0;
    QObject::connect(&line, &TSerialLine::LineLost, [&] { ++lost; });
    QObject::connect(&line, &TSerialLine::DataArrived, [&] { ++notices; });
    ASSERT_TRUE(line.Open(gauge.DevicePath(), "4800,E,7,2", 0)) << line.ErrorText();
    const std::string path = gauge.DevicePath();
    gauge.HangUp();
    ASSERT_TRUE(WaitUntil([&] { return lost > 0; }));
    EXPECT_FALSE(line.IsOpen());
    EXPECT_NE(line.ErrorText().find(path), std::string::npos) << line.ErrorText();
    // Closed, the port reports nothing more.
    const int noticesAtLoss = notices;
    WaitUntil([] { return false; }, 300ms);
    EXPECT_EQ(lost, 1);
    EXPECT_EQ(notices, noticesAtLoss);
}
