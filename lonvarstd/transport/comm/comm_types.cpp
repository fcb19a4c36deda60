#include "transport/comm/comm_types.h"

std::uint32_t CommEventMask(const TCommEvents& events) {
    std::uint32_t mask = 0;
    for (TCommEvent event : events) {
        switch (event) {
            case tceBreak:
                mask |= 0x40;
                break;
            case tceCts:
                mask |= 0x08;
                break;
            case tceDsr:
                mask |= 0x10;
                break;
            case tceErr:
                mask |= 0x80;
                break;
            case tcePErr:
                mask |= 0x200;
                break;
            case tceRing:
                mask |= 0x100;
                break;
            case tceRlsd:
                mask |= 0x20;
                break;
            case tceRxChar:
                mask |= 0x01;
                break;
            case tceRxFlag:
                mask |= 0x02;
                break;
            case tceTxEmpty:
                mask |= 0x04;
                break;
        }
    }
    return mask;
}
