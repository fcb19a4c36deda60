#pragma once
// A rest on a caller's wake-up descriptor alone, for lines that have nothing to
// wait on (gone, or none at all): the caller rests instead of spinning.

#include <poll.h>

#include <cerrno>

namespace tavrix::platform {

// Rests until `wakeFd` (-1: none) turns readable or `timeoutMs` passed (negative:
// no limit); true when woken.
inline bool RestOnWake(int wakeFd, int timeoutMs) {
    pollfd p{wakeFd, POLLIN, 0};
    int rc;
    do {
        rc = ::poll(&p, wakeFd >= 0 ? 1 : 0, timeoutMs);
    } while (rc < 0 && errno == EINTR);
    return rc > 0;
}

}  // namespace tavrix::platform
