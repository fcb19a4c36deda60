#pragma once
// Baud rates that have no B<rate> constant (14400 in the gauge baud table)
// are set through the kernel's termios2 interface with BOTHER. Kept apart
// from termios.h, whose struct termios clashes with the kernel's.

namespace tavrix::serial {

// Sets input and output speed of the open line `fd` to `baud`; false if the
// line refuses it.
bool setCustomBaud(int fd, int baud);

// The output speed the line runs at in baud, whether set by constant or by
// BOTHER; -1 if it cannot be read.
int currentBaud(int fd);

}  // namespace tavrix::serial
