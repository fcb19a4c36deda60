#pragma once
// Finding the serial lines of the machine by their COM numbers.

#include <map>
#include <string>
#include <vector>

#include "serial/serial_device.h"

namespace tavrix::serial {

// The lines under `sysClassTty` (normally /sys/class/tty) that a COM number
// reaches, sorted by port: ttyS<k> as COM<k+1> unless that number is mapped,
// and every mapped path that is a character device. A ttyS entry without a
// device, or whose UART type is unknown (a placeholder the kernel lists for
// every possible legacy port), is no line.
std::vector<PortInfo> listPortsIn(const std::string& sysClassTty,
                                  const std::map<int, std::string>& mapped);

// Adds `extra` to `ports`, replacing entries of the same number (the bench's
// ports come first when a COM number is opened), sorted by port.
void mergePorts(std::vector<PortInfo>& ports, const std::vector<PortInfo>& extra);

}  // namespace tavrix::serial
