#pragma once
// The cable library back end that reaches the gauge bench's simulated USB cables.

#include <memory>
#include <string>

#include "ftd2xx/ft_backend.h"

namespace tavrix::bench {

std::unique_ptr<ftd2xx::FtBackend> makeBenchCableBackend(const std::string& socketPath);

}  // namespace tavrix::bench
