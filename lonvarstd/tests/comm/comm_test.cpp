// TComm on a pty mapped as a COM port through the program INI file.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "prog_ini_scope.h"
#include "pty_pair.h"
#include "transport/comm/Comm.h"

namespace {

using tavrix::testing::ProgIniScope;
using tavrix::testing::PtyPair;
using Clock = std::chrono::steady_clock;

long long msSince(Clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

// Declared before the TComm it watches: its destructor still reports.
struct ErrorLog {
    std::vector<std::pair<std::int32_t, std::string>> errors;
    int timeouts = 0;
    void attach(TComm& comm) {
        comm.OnError = [this](TComm*, std::int32_t code, const std::string& text) {
            errors.emplace_back(code, text);
        };
        comm.OnTimeout = [this](TComm*) { ++timeouts; };
    }
};

// A COM3 that exists: the slave of a pty, mapped in the program INI file.
struct MappedPty {
    PtyPair pty;
    ProgIniScope ini{{{3, pty.slavePath()}}};
};

// TComm set to that COM3 (not open yet), its errors and time-outs logged.
class CommOnPty : public ::testing::Test {
protected:
    CommOnPty() {
        log.attach(comm);
        comm.SetPort(3);
    }
    MappedPty line;
    ErrorLog log;
    TComm comm;
};
using CommOpen = CommOnPty;
using CommReadChar = CommOnPty;
using CommWriteText = CommOnPty;

TEST(CommProperties, DefaultsAndTheRulesOfTheirSetters) {
    TComm comm;
    EXPECT_EQ(comm.Port(), 1);
    EXPECT_EQ(comm.Baudrate(), bd_9600);
    EXPECT_EQ(comm.EnterTimeout(), 1000);
    EXPECT_EQ(comm.OutputTimeout(), 1000);
    EXPECT_EQ(comm.ByteSize(), bs_8);
    EXPECT_EQ(comm.StopBits(), sb_1);
    EXPECT_EQ(comm.Parity(), none);
    EXPECT_EQ(comm.EOT(), 13);
    EXPECT_EQ(comm.Language(), German);
    EXPECT_EQ(comm.BufferInSize(), 1024);
    EXPECT_EQ(comm.BufferOutSize(), 1024);
    EXPECT_FALSE(comm.IsOpen());
    EXPECT_EQ(comm.ErrorCode(), 0);
    EXPECT_EQ(comm.EventMask(), 0u);

    for (const auto& [set, port] : {std::pair{0, 1}, {200, 128}, {128, 128}, {3, 3}}) {
        comm.SetPort(set);
        EXPECT_EQ(comm.Port(), port) << set;
    }
    for (const auto& [set, timeout] : {std::pair{0, 0}, {-1, 0}, {250, 250}}) {
        comm.SetEnterTimeout(set);
        EXPECT_EQ(comm.EnterTimeout(), timeout) << set;
    }

    comm.SetOutputTimeout(40);
    comm.SetOutputTimeout(0);
    comm.SetOutputTimeout(-5);
    EXPECT_EQ(comm.OutputTimeout(), 40);

    comm.SetEvents({tceRxChar, tceTxEmpty, tceBreak});
    EXPECT_EQ(comm.EventMask(), 0x01u | 0x04u | 0x40u);
    comm.SetEvents({});
    EXPECT_EQ(comm.EventMask(), 0u);
    EXPECT_EQ(BaudTable[bd_14400], 14400);
    EXPECT_EQ(BaudTable[bd_115200], 115200);
}

TEST(CommErrors, MissingDeviceGivesElevenThenThreeInEitherLanguage) {
    ProgIniScope ini{{{5, "/dev/no-such-serial-line"}}};
    const struct {
        TLanguage language;
        const char *cannotOpen, *closed;
    } languages[] = {
        {German, "Schnittstelle kann nicht geöffnet werden", "Schnittstelle geschlossen"},
        {English, "Can\u00b4t open Interface", "Interface closed"}};
    for (const auto& l : languages) {
        ErrorLog log;
        TComm comm;
        log.attach(comm);
        comm.SetLanguage(l.language);
        comm.SetPort(5);
        EXPECT_FALSE(comm.Open());
        EXPECT_FALSE(comm.IsOpen());
        using Error = std::pair<std::int32_t, std::string>;
        EXPECT_EQ(log.errors, (std::vector<Error>{{11, l.cannotOpen}, {3, l.closed}}));
        // Delivered errors are cleared.
        EXPECT_EQ(comm.ErrorCode(), 0);
        EXPECT_EQ(comm.ErrorText(), "");
    }
}

TEST(CommErrors, WithoutHandlerTheLastErrorStays) {
    ProgIniScope ini{{{5, "/dev/no-such-serial-line"}}};
    TComm comm;
    comm.SetLanguage(English);
    comm.SetPort(5);
    EXPECT_FALSE(comm.Open());
    EXPECT_EQ(comm.ErrorCode(), 3);
    EXPECT_EQ(comm.ErrorText(), "Interface closed");
    comm.Close();
    EXPECT_EQ(comm.ErrorCode(), 2);
    EXPECT_EQ(comm.ErrorText(), "Interface already close");
}

TEST(CommErrors, ClosingAClosedPortIsErrorTwoAlsoFromTheDestructor) {
    ErrorLog log;
    {
        TComm comm;
        log.attach(comm);
        comm.Close();
        ASSERT_EQ(log.errors.size(), 1u);
        EXPECT_EQ(log.errors[0],
                  std::make_pair(2, std::string("Schnittstelle bereits geschlossen")));
    }
    EXPECT_EQ(log.errors.size(), 2u);
    EXPECT_EQ(log.errors[1].first, 2);
}

TEST_F(CommOpen, MappedPortGetsTheGaugeLineAndReopensWithoutError) {
    comm.SetBaudrate(bd_4800);
    comm.SetByteSize(bs_7);
    comm.SetParity(even);
    comm.SetStopBits(sb_2);
    ASSERT_TRUE(comm.Open());
    EXPECT_TRUE(comm.IsOpen());

    // The settings reached the device behind COM3 (a pty keeps speed and
    // stop bits; its data bits and parity are fixed at 8N).
    const int fd = ::open(line.pty.slavePath().c_str(), O_RDONLY | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(fd, 0);
    termios tio{};
    ASSERT_EQ(tcgetattr(fd, &tio), 0);
    ::close(fd);
    EXPECT_EQ(cfgetospeed(&tio), B4800);
    EXPECT_NE(tio.c_cflag & CSTOPB, 0u);
    EXPECT_EQ(tio.c_lflag & ICANON, 0u);

    // A second component cannot have the port meanwhile.
    TComm other;
    other.SetPort(3);
    EXPECT_FALSE(other.Open());
    EXPECT_EQ(other.ErrorCode(), 3);

    ASSERT_TRUE(comm.Open());
    EXPECT_TRUE(comm.IsOpen());
    comm.Close();
    EXPECT_FALSE(comm.IsOpen());
    EXPECT_TRUE(log.errors.empty());

    // Once closed, the port is free for others.
    EXPECT_TRUE(other.Open());
}

TEST_F(CommOpen, FourDataBitsStillOpensTheLine) {
    comm.SetByteSize(bs_4);
    ASSERT_TRUE(comm.Open());
    line.pty.send("Z");
    char ch = 0;
    EXPECT_TRUE(comm.ReadChar(ch));
    EXPECT_EQ(ch, 'Z');
}

TEST_F(CommReadChar, TimesOutQuietlyAndReturnsAWaitingByteAtOnce) {
    comm.SetEnterTimeout(300);
    ASSERT_TRUE(comm.Open());

    char ch = 'x';
    auto start = Clock::now();
    EXPECT_FALSE(comm.ReadChar(ch));
    EXPECT_GE(msSince(start), 250);
    EXPECT_LT(msSince(start), 10000);
    EXPECT_EQ(ch, 0);
    EXPECT_FALSE(comm.TimedOut());
    EXPECT_EQ(log.timeouts, 0);

    comm.SetEnterTimeout(60000);  // taken as it stands, even while open
    line.pty.send("+1\r");
    std::string answer;
    start = Clock::now();
    while (answer.size() < 3 && comm.ReadChar(ch)) answer += ch;
    EXPECT_EQ(answer, "+1\r");
    EXPECT_LT(msSince(start), 10000);
}

TEST_F(CommReadChar, WithoutTimeOutWaitsUntilAByteComes) {
    comm.SetEnterTimeout(0);
    ASSERT_TRUE(comm.Open());

    std::atomic<bool> done{false};
    bool got = false;
    char ch = 0;
    std::thread reader([&] {
        got = comm.ReadChar(ch);
        done = true;
    });
    // Longer than the default time-out: a read that gives up would be done.
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    EXPECT_FALSE(done);
    line.pty.send("7");
    reader.join();
    EXPECT_TRUE(got);
    EXPECT_EQ(ch, '7');
}

TEST_F(CommReadChar, PulledCableFailsTheReadWithTimeoutEvent) {
    comm.SetEnterTimeout(0);
    ASSERT_TRUE(comm.Open());

    std::atomic<bool> started{false};
    bool got = true;
    std::thread reader([&] {
        started = true;
        char ch = 0;
        got = comm.ReadChar(ch);
    });
    while (!started) std::this_thread::yield();
    line.pty.closeMaster();
    reader.join();
    EXPECT_FALSE(got);
    EXPECT_TRUE(comm.TimedOut());
    EXPECT_EQ(log.timeouts, 1);

    // Writing to the pulled line fails the same way.
    EXPECT_EQ(comm.WriteText("?\r"), 0);
    EXPECT_EQ(log.timeouts, 2);
    EXPECT_TRUE(log.errors.empty());
}

TEST(CommClosedPort, ReadsWritesAndLinesDoNothing) {
    ErrorLog log;
    TComm comm;
    log.attach(comm);
    char ch = 'x';
    EXPECT_FALSE(comm.ReadChar(ch));
    EXPECT_EQ(ch, 0);
    EXPECT_EQ(comm.WriteText("abc"), 0);
    EXPECT_FALSE(comm.SetDTR(true));
    EXPECT_FALSE(comm.SetRTS(false));
    EXPECT_EQ(log.timeouts, 0);
    EXPECT_TRUE(log.errors.empty());
}

TEST_F(CommWriteText, ReachesTheGaugeAndModemLinesOfAPtyReportFailure) {
    comm.SetUseDTR(true);
    ASSERT_TRUE(comm.Open());
    EXPECT_EQ(comm.WriteText("?\r"), 2);
    EXPECT_EQ(line.pty.receive(2, 10000), "?\r");
    EXPECT_EQ(comm.WriteText(""), 0);
    EXPECT_FALSE(comm.SetDTR(false));
    EXPECT_FALSE(comm.SetRTS(true));
}

// Fills the line towards the gauge until it takes no more, as a gauge that
// stopped reading would. The descriptor stays open until the test ends: the
// last close of a pty side lets the kernel drop what is queued.
int fillLine(const std::string& path) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) return fd;
    termios tio{};
    tcgetattr(fd, &tio);
    cfmakeraw(&tio);  // as TComm runs it: a cooked line takes less
    tcsetattr(fd, TCSANOW, &tio);
    const std::string chunk(4096, 'f');
    // The kernel moves queued bytes on in the background; full means no room
    // came back for a while.
    pollfd p{fd, POLLOUT, 0};
    do {
        while (::write(fd, chunk.data(), chunk.size()) > 0) {
        }
    } while (::poll(&p, 1, 500) > 0);
    return fd;
}

TEST_F(CommWriteText, AStuckLineGivesUpAfterTheTimeOutPerByte) {
    const int filler = fillLine(line.pty.slavePath());
    ASSERT_GE(filler, 0);
    comm.SetOutputTimeout(100);
    ASSERT_TRUE(comm.Open());
    // Three bytes at 100 ms each: a time-out after about 300 ms, no failure.
    const auto start = Clock::now();
    EXPECT_EQ(comm.WriteText("abc"), 0);
    EXPECT_GE(msSince(start), 250);
    EXPECT_LT(msSince(start), 20000);
    EXPECT_EQ(log.timeouts, 0);

    // Once the gauge reads again, the line takes text again.
    EXPECT_GT(line.pty.receive(1u << 30, 500).size(), 0u);
    EXPECT_EQ(comm.WriteText("?\r"), 2);
    ::close(filler);
}

}  // namespace
