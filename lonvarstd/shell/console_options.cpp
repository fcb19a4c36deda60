#include "console_options.h"

#include <charconv>

const char* const ConsoleUsage =
    "usage: LonvarStdConsole [--seconds N] [--timer MS] [--text-only] [--keep-settings] [D]\n"
    "  --seconds N      stop after N seconds (default: run until Ctrl-C)\n"
    "  --timer MS       request every instrument every MS milliseconds (default 2000)\n"
    "  --text-only      write every value to the device's text file, none to the spreadsheet\n"
    "  --keep-settings  take request kinds and targets from the configuration file as they are\n"
    "  D                test switch: canned answers, a plain USB-serial cable is a switch cable\n";

namespace {

bool ParseInt(const std::string& text, int& out) {
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, out);
    return ec == std::errc() && ptr == end;
}

}  // namespace

std::optional<ConsoleOptions> ParseConsoleOptions(const std::vector<std::string>& args,
                                                  std::string& error) {
    ConsoleOptions options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        auto number = [&](int& target, int minimum) {
            if (i + 1 >= args.size() || !ParseInt(args[i + 1], target) || target < minimum) {
                error = arg + " needs a whole number of at least " + std::to_string(minimum);
                return false;
            }
            ++i;
            return true;
        };
        if (arg == "--seconds") {
            if (!number(options.seconds, 0)) return std::nullopt;
        } else if (arg == "--timer") {
            if (!number(options.timerMs, 100)) return std::nullopt;
        } else if (arg == "--text-only") {
            options.textOnly = true;
        } else if (arg == "--keep-settings") {
            options.keepSettings = true;
        } else if (arg == "d" || arg == "D") {
            // read by the entry itself
        } else {
            error = "unknown argument: " + arg;
            return std::nullopt;
        }
    }
    return options;
}
