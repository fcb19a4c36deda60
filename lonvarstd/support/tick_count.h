#pragma once
// Monotonic milliseconds for time-outs and intervals: 64 bits, so no wrap-around,
// unaffected by changes of the wall clock.

#include <cstdint>

// Milliseconds of a monotonic clock; the first reading is already above 0, so 0 can
// stand for "never".
std::int64_t TickCountMs();
