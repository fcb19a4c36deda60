#pragma once
// A program started by a test with a few environment variables of its own.

#include <sys/types.h>

#include <chrono>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "spawn_tied.h"

class TChildProcess {
public:
    TChildProcess(const std::string& program, const std::vector<std::string>& arguments,
                  const std::map<std::string, std::string>& environment,
                  const TRunAs* runAs = nullptr);
    ~TChildProcess();  // ends the program if it still runs
    TChildProcess(const TChildProcess&) = delete;
    TChildProcess& operator=(const TChildProcess&) = delete;

    bool Started() const { return Pid_ > 0; }
    // Sends `signal` to the program while it runs.
    void Signal(int signal);
    bool Running();
    // Exit code once the program has ended within the time-out; nullopt otherwise (or
    // when a signal ended it).
    std::optional<int> WaitForExit(std::chrono::milliseconds timeout);

private:
    pid_t Pid_ = -1;
    bool Reaped_ = false;
    int Status_ = 0;
};
