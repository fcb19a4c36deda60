#include "bench/bench_ports.h"

#include <cstdlib>

namespace tavrix::bench {

std::string benchSocketPath() {
    const char* path = std::getenv("TAVRIX_BENCH");
    return path ? std::string(path) : std::string();
}

std::unique_ptr<serial::SerialDevice> openBenchPort(int) { return nullptr; }

std::vector<serial::PortInfo> listBenchPorts() { return {}; }

}  // namespace tavrix::bench
