#pragma once
// The cable library back end for real FTDI cables, over libftdi1 and libusb.

#include <memory>

#include "ftd2xx/ft_backend.h"

namespace tavrix::ftd2xx {

// Latency timer set on every opened cable, in ms. The chip holds back a short
// answer until its buffer fills or this timer runs out (16 ms out of the box);
// 2 ms lets a 14-byte gauge line through almost at once while an idle cable
// still costs only one small USB transfer per 2 ms of polling (1 ms would double
// that for no gain the user could notice).
constexpr unsigned char kLatencyTimerMs = 2;

// A switch cable's pin byte has to be asked for: its worker asks every this many
// ms, far below the 100 ms and more that a press or a release of a switch lasts.
constexpr unsigned kPinPollMs = 8;

std::unique_ptr<FtBackend> makeFtdiBackend();

}  // namespace tavrix::ftd2xx
