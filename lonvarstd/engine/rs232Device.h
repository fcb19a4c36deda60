#pragma once
// A usable COM port found by the search, holding the port component that the
// device's worker talks through.

#include <cstdint>
#include <memory>

class TComm;

class tRS232_Device {
public:
    // Port: the COM number; the component speaks English in its error texts.
    tRS232_Device(int portListIdx, int port);
    ~tRS232_Device();
    tRS232_Device(const tRS232_Device&) = delete;
    tRS232_Device& operator=(const tRS232_Device&) = delete;

    std::int32_t PortListIdx;  // position of the port in the search's port list
    std::int32_t DevIdx = 0;   // the tDevice that uses it
    std::unique_ptr<TComm> Comm;
};
