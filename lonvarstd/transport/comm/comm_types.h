#pragma once
// Line settings and event kinds of a COM port, in the order forms store them.

#include <cstdint>
#include <set>

enum TBaudrate {
    bd_110,
    bd_300,
    bd_600,
    bd_1200,
    bd_2400,
    bd_4800,
    bd_9600,
    bd_14400,
    bd_19200,
    bd_38400,
    bd_57600,
    bd_115200
};

// Baud rates by TBaudrate; also the index the gauge descriptions store.
inline constexpr std::int32_t BaudTable[12] = {110,  300,   600,   1200,  2400,  4800,
                                               9600, 14400, 19200, 38400, 57600, 115200};

enum TByteSize { bs_4, bs_5, bs_6, bs_7, bs_8 };
enum TStopBits { sb_1, sb_1_5, sb_2 };
enum TParity { even, odd, none, mark, space };
enum TLanguage { German, English };

enum TCommEvent {
    tceBreak,
    tceCts,
    tceDsr,
    tceErr,
    tcePErr,
    tceRing,
    tceRlsd,
    tceRxChar,
    tceRxFlag,
    tceTxEmpty
};
using TCommEvents = std::set<TCommEvent>;

// The port event bits of a set of events (the classic COM port event mask:
// character received 0x1, event character 0x2, send queue empty 0x4, CTS 0x8,
// DSR 0x10, carrier 0x20, break 0x40, line error 0x80, ring 0x100, printer
// error 0x200).
std::uint32_t CommEventMask(const TCommEvents& events);
