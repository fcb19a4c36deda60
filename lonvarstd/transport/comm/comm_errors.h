#pragma once
// Error codes of TComm and their texts in the two languages it speaks.

#include <cstdint>
#include <string>

#include "transport/comm/comm_types.h"

enum TCommError : std::int32_t {
    ceAlreadyOpen = 1,
    ceAlreadyClosed = 2,
    ceClosed = 3,
    ceBreak = 4,
    ceFraming = 5,
    ceModeNotSupported = 6,
    ceCharsLost = 7,
    ceParity = 8,
    ceInQueueOverload = 9,
    ceOutQueueOverload = 10,
    ceCannotOpen = 11
};

// The text of error `code` in `language`; empty for a code outside 1..11.
std::string CommErrorText(std::int32_t code, TLanguage language);
