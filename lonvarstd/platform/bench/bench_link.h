#pragma once
// One connection to the gauge bench's control socket. Each open cable or COM
// port holds its own link, so calls on different devices never wait for each
// other.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace tavrix::bench {

// The bench's answer to one command: a final "OK ..." or "ERR <code> ..." line,
// preceded by "* " lines for commands that list things.
struct Reply {
    bool ok = false;
    std::uint32_t status = 0;  // the code after ERR; 0 for OK
    std::string text;          // the rest of the final line after OK / ERR <code>
    std::vector<std::string> lines;
};

class BenchLink {
public:
    // nullptr when nothing listens on `socketPath`.
    static std::unique_ptr<BenchLink> connect(const std::string& socketPath);
    ~BenchLink();
    BenchLink(const BenchLink&) = delete;
    BenchLink& operator=(const BenchLink&) = delete;

    // Sends one command line and waits for its reply. timeoutMs < 0 waits
    // without limit (the bench always answers or closes the socket). False when
    // the bench is gone or did not answer in time; the link is then dead for good.
    bool call(const std::string& line, Reply& reply, int timeoutMs = kDefaultTimeoutMs);
    bool alive() const { return fd_ >= 0; }

    // Asks the bench for one notice when the line has bytes, its pin byte differs
    // from `pins` (-1: pins not watched), or it went away. A watch still armed for
    // the same pins is kept (no round trip). False when the bench refused it.
    bool watch(int pins);
    // Rests until the notice comes, `wakeFd` (-1: none) turns readable, or
    // `timeoutMs` passed (negative: no limit).
    enum class Rest { Ready, Woken, Timeout, Gone };
    Rest waitNotice(int wakeFd, int timeoutMs);

    // A simple command that should be answered at once: generous, never hit
    // unless the bench hangs.
    static constexpr int kDefaultTimeoutMs = 10000;

private:
    explicit BenchLink(int fd) : fd_(fd) {}
    bool readLine(std::string& line, std::int64_t deadlineMs);
    // Takes a "! " notice line; false for any other line.
    bool takeNotice(const std::string& line);
    // Takes the notices already received; Ready or Gone when one came.
    bool takePendingNotices();
    void kill();

    int fd_ = -1;
    std::string pending_;
    enum class Notice { None, Ready, Gone } notice_ = Notice::None;
    bool armed_ = false;
    int armedPins_ = -1;
};

}  // namespace tavrix::bench
