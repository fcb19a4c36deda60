#include "support/tick_count.h"

#include <time.h>

std::int64_t TickCountMs() {
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1'000'000 + 1;
}
