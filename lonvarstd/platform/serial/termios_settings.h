#pragma once
// Turning LineSettings into a termios record, kept apart from the device so
// the exact flags can be checked without a line that keeps all of them (a
// pty, for one, always runs 8 data bits without parity).

#include <termios.h>

#include "serial/serial_device.h"

namespace tavrix::serial {

// Rewrites `tio` (the line's current record, so that flags not named keep the
// driver's value) for `settings`: binary mode, receiver on, modem status
// ignored, data bits, parity, stop bits, flow control, and the speed when it
// has a B<rate> constant. False if a setting has no termios form (4 data
// bits, DSR flow control, 1.5 stop bits beside 5 data bits); the others are
// still written.
bool applyLineSettings(termios& tio, const LineSettings& settings);

// The B<rate> constant of a rate, or B0 when it has none (14400).
speed_t speedConstant(int baud);

// Whether the line kept the framing (and, if `withSpeed`, the speed) that
// `wanted` asks for.
bool sameFraming(const termios& wanted, const termios& actual, bool withSpeed);

}  // namespace tavrix::serial
