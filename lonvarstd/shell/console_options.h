#pragma once
// Command line of the console runner.

#include <optional>
#include <string>
#include <vector>

struct ConsoleOptions {
    int seconds = 0;            // 0: run until interrupted
    int timerMs = 2000;         // timer period given to every instrument
    bool keepSettings = false;  // use the configuration file as it stands
    bool textOnly = false;      // every instrument writes to its text file
};

// The options, or an error text for the user.
std::optional<ConsoleOptions> ParseConsoleOptions(const std::vector<std::string>& args,
                                                  std::string& error);

extern const char* const ConsoleUsage;
