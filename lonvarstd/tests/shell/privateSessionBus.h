#pragma once
// A session bus of the test's own in a scratch folder, so that nothing reaches the
// machine's desktop. With `services` it starts the machine's D-Bus services on demand
// (the settings store), with the environment given; without, only what the test starts
// answers.

#include <filesystem>
#include <map>
#include <memory>
#include <string>

#include "child_process.h"

class tPrivateSessionBus {
public:
    explicit tPrivateSessionBus(bool services,
                                const std::map<std::string, std::string>& environment = {});
    ~tPrivateSessionBus();

    bool Running() const { return running_; }
    const std::string& Address() const { return address_; }
    const std::filesystem::path& Folder() const { return dir_; }

private:
    std::filesystem::path dir_;
    std::string address_;
    std::unique_ptr<TChildProcess> daemon_;
    bool running_ = false;
};
