#pragma once
// The gauge bench's event loop: a Unix socket whose clients are the program's
// open cables and ports as well as whoever drives the bench (tests, socat).
// One thread runs everything, so the simulated lines need no locks.

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "bench/bench_text.h"
#include "simulated_line.h"

namespace tavrix::gaugebench {

class BenchServer {
public:
    explicit BenchServer(std::string socketPath);
    ~BenchServer();
    BenchServer(const BenchServer&) = delete;
    BenchServer& operator=(const BenchServer&) = delete;

    // Binds the socket (replacing a stale one); false with a reason if it cannot.
    bool listen(std::string& error);
    // Runs control commands before serving; false at the first one refused.
    bool preload(const std::vector<std::string>& commands, std::string* refused = nullptr);
    // Serves until stop() is called.
    void run();
    // May be called from any thread or a signal handler.
    void stop();

    const std::string& socketPath() const { return path_; }

private:
    struct Pending {
        enum class Kind { None, Read, Recv, Wait } kind = Kind::None;
        std::size_t want = 0;
        std::int64_t deadline = -1;  // -1 waits until the bytes come
    };
    struct Client {
        int fd = -1;
        std::string in, out;
        std::string line;  // name of the open line, empty if none
        std::uint64_t generation = 0;
        Pending pending;
        // "watch": one notice line when the line has bytes, its pins differ from
        // watchPins (-1: not watched), or it went away.
        bool watching = false;
        int watchPins = -1;
    };
    struct Delivery {
        std::string line;
        std::uint64_t generation;
        std::string bytes;
    };

    void acceptClients();
    bool readClient(int id);
    void processLines(int id);
    void flushClient(Client& c);
    void runDueDeliveries();
    std::int64_t nextWakeMs() const;
    void dropClient(int id);

    std::string handle(int id, const std::vector<bench::Word>& words);
    std::string deviceCall(Client& c, const std::string& cmd, const std::vector<bench::Word>& w);
    std::string control(const std::string& cmd, const std::vector<bench::Word>& w);
    std::string listLines();

    SimulatedLine* find(const std::string& name);
    std::vector<SimulatedLine*> pluggedCables();
    bool takeFailure(SimulatedLine& line, const std::string& call, std::uint32_t& status);
    void plug(SimulatedLine& line);
    void unplug(SimulatedLine& line);
    void addBytes(SimulatedLine& line, const std::string& bytes);
    void servePending(Client& c);
    void checkWatch(Client& c);
    void serveLine(const std::string& name);
    void requestReading(SimulatedLine& line);
    void modemChange(SimulatedLine& line, bool rtsLine, bool on);
    void log(const std::string& line, const std::string& what);
    std::int64_t now() const;

    std::string path_;
    int listenFd_ = -1;
    int wakeRead_ = -1, wakeWrite_ = -1;
    int nextId_ = 1;
    std::uint64_t plugCounter_ = 0;
    std::int64_t startMs_ = 0;
    std::map<int, Client> clients_;
    std::map<std::string, SimulatedLine> lines_;
    std::multimap<std::int64_t, Delivery> deliveries_;
    std::map<std::string, InjectedFailure> countFailures_;
    std::vector<std::string> log_;
    unsigned noise_ = 12345;
};

}  // namespace tavrix::gaugebench
