#pragma once
// The gauge bench's COM ports, as seen by the serial device layer.

#include <memory>
#include <string>
#include <vector>

#include "serial/serial_device.h"

namespace tavrix::bench {

// The bench's control socket named by the environment (TAVRIX_BENCH), or empty.
std::string benchSocketPath();

// Opens COM port `port` on the bench; nullptr if no bench is named, the bench
// has no such port, or it is in use.
std::unique_ptr<serial::SerialDevice> openBenchPort(int port);

// The COM ports the bench currently offers (empty without a bench).
std::vector<serial::PortInfo> listBenchPorts();

}  // namespace tavrix::bench
