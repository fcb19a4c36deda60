// The termios record built for each line setting, flag by flag.

#include <gtest/gtest.h>

#include "serial/termios_settings.h"

namespace tavrix::serial {
namespace {

// A record as a freshly opened terminal has it: cooked, echoing, 9600 8N1.
termios cookedTerminal() {
    termios tio{};
    tio.c_iflag = ICRNL | IXON | BRKINT | ISTRIP;
    tio.c_oflag = OPOST | ONLCR;
    tio.c_lflag = ICANON | ECHO | ISIG | IEXTEN;
    tio.c_cflag = CS8 | CREAD | HUPCL;
    cfsetispeed(&tio, B9600);
    cfsetospeed(&tio, B9600);
    return tio;
}

TEST(LineSettingsRecord, GaugeLine4800SevenEvenTwo) {
    termios tio = cookedTerminal();
    LineSettings s;
    s.baud = 4800;
    s.dataBits = 7;
    s.parity = Parity::Even;
    s.stopBits = StopBits::Two;
    ASSERT_TRUE(applyLineSettings(tio, s));
    EXPECT_EQ(cfgetospeed(&tio), B4800);
    EXPECT_EQ(cfgetispeed(&tio), B4800);
    EXPECT_EQ(tio.c_cflag & CSIZE, static_cast<tcflag_t>(CS7));
    EXPECT_EQ(tio.c_cflag & (PARENB | PARODD | CMSPAR), static_cast<tcflag_t>(PARENB));
    EXPECT_NE(tio.c_cflag & CSTOPB, 0u);
    EXPECT_EQ(tio.c_cflag & (CREAD | CLOCAL), static_cast<tcflag_t>(CREAD | CLOCAL));
    EXPECT_EQ(tio.c_cflag & CRTSCTS, 0u);
    EXPECT_NE(tio.c_cflag & HUPCL, 0u);  // not ours to change
    EXPECT_EQ(tio.c_lflag & (ICANON | ECHO | ISIG | IEXTEN), 0u);
    EXPECT_EQ(tio.c_iflag & (ICRNL | IXON | IXOFF | INPCK | ISTRIP | BRKINT), 0u);
    EXPECT_EQ(tio.c_oflag & OPOST, 0u);
    EXPECT_EQ(tio.c_cc[VMIN], 1);
    EXPECT_EQ(tio.c_cc[VTIME], 0);
}

TEST(LineSettingsRecord, EachParityAndTheFlowControls) {
    const struct {
        Parity parity;
        tcflag_t flags;
    } parities[] = {{Parity::None, 0},
                    {Parity::Even, PARENB},
                    {Parity::Odd, PARENB | PARODD},
                    {Parity::Mark, PARENB | PARODD | CMSPAR},
                    {Parity::Space, PARENB | CMSPAR}};
    for (const auto& p : parities) {
        termios tio = cookedTerminal();
        tio.c_cflag |= PARENB | PARODD | CMSPAR;  // left over from an earlier user
        LineSettings s;
        s.parity = p.parity;
        EXPECT_TRUE(applyLineSettings(tio, s));
        EXPECT_EQ(tio.c_cflag & (PARENB | PARODD | CMSPAR), p.flags);
    }

    termios tio = cookedTerminal();
    LineSettings s;
    s.parityCheck = true;
    s.ctsFlow = true;
    s.xonXoffIn = true;
    ASSERT_TRUE(applyLineSettings(tio, s));
    EXPECT_EQ(tio.c_iflag & (INPCK | IXOFF | IXON), static_cast<tcflag_t>(INPCK | IXOFF));
    EXPECT_NE(tio.c_cflag & CRTSCTS, 0u);
    s = LineSettings{};
    s.xonXoffOut = true;
    ASSERT_TRUE(applyLineSettings(tio, s));
    EXPECT_EQ(tio.c_iflag & (INPCK | IXOFF | IXON), static_cast<tcflag_t>(IXON));
    EXPECT_EQ(tio.c_cflag & CRTSCTS, 0u);
}

TEST(LineSettingsRecord, SettingsWithoutTermiosFormAreRefusedTheRestWritten) {
    termios tio = cookedTerminal();
    LineSettings s;
    s.dataBits = 4;
    s.parity = Parity::Odd;
    s.baud = 2400;
    EXPECT_FALSE(applyLineSettings(tio, s));
    EXPECT_EQ(tio.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));  // the driver's value stays
    EXPECT_EQ(tio.c_cflag & (PARENB | PARODD), static_cast<tcflag_t>(PARENB | PARODD));
    EXPECT_EQ(cfgetospeed(&tio), B2400);
    EXPECT_EQ(tio.c_lflag & ICANON, 0u);

    s = LineSettings{};
    s.dsrFlow = true;
    EXPECT_FALSE(applyLineSettings(tio, s));
    s = LineSettings{};
    s.stopBits = StopBits::OneAndHalf;
    EXPECT_FALSE(applyLineSettings(tio, s));
    s.dataBits = 5;
    EXPECT_TRUE(applyLineSettings(tio, s));
    EXPECT_EQ(tio.c_cflag & (CSIZE | CSTOPB), static_cast<tcflag_t>(CS5 | CSTOPB));
}

}  // namespace
}  // namespace tavrix::serial
