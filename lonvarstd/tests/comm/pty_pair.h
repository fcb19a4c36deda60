#pragma once
// A pseudo-terminal for tests: the slave stands in for a COM port's device,
// the test plays the cable's other end on the master.

#include <string>

namespace tavrix::testing {

class PtyPair {
public:
    PtyPair();
    ~PtyPair();
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    const std::string& slavePath() const { return slavePath_; }
    int masterFd() const { return master_; }

    void send(const std::string& bytes);
    // Everything that arrives within `timeoutMs`, stopping once `expected` bytes came.
    std::string receive(std::size_t expected, int timeoutMs);
    // Pulls the cable: the slave side sees a hang-up.
    void closeMaster();

private:
    int master_ = -1;
    std::string slavePath_;
};

}  // namespace tavrix::testing
