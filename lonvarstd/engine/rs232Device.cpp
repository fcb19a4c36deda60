#include "engine/rs232Device.h"

#include "transport/comm/Comm.h"

tRS232_Device::tRS232_Device(int portListIdx, int port)
    : PortListIdx(portListIdx), Comm(std::make_unique<TComm>(nullptr)) {
    Comm->SetPort(static_cast<std::uint16_t>(port));
    Comm->SetLanguage(English);
}

tRS232_Device::~tRS232_Device() = default;
