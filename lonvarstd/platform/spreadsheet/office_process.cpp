#include "platform/spreadsheet/office_process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/spreadsheet/automation.h"

namespace tavrix::spreadsheet {

pid_t LaunchOffice(const OfficeOptions& options) {
    if (access(options.sofficePath.c_str(), X_OK) != 0) {
        throw AutomationError("cannot run the office program " + options.sofficePath);
    }
    std::vector<std::string> args = {
        options.sofficePath,
        "--accept=pipe,name=" + options.pipeName + ";urp;StarOffice.ComponentContext",
        "--norestore",
        "--nologo",
        "--nodefault",
        "--nolockcheck"};
    args.push_back(options.headless ? "--headless" : "--invisible");
    // Lets a later attach learn that this office has no windows to show.
    if (options.headless) args.push_back("-env:" + std::string(kHeadlessMark) + "=1");
    if (!options.profileDir.empty()) {
        const std::string profile = std::filesystem::absolute(options.profileDir).string();
        PrepareProfile(profile, options.locale);
        args.push_back("-env:UserInstallation=" + FileUrlOf(profile));
    }
    // Everything the children use is made before fork: only async-signal-safe calls after it.
    // TAVRIX_OFFICE_LOG names a file for the office's own output, to see why a start failed.
    const char* logPath = std::getenv("TAVRIX_OFFICE_LOG");
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);

    int report[2];
    if (pipe2(report, O_CLOEXEC) != 0) throw AutomationError("cannot start the office: pipe");
    const pid_t middle = fork();
    if (middle < 0) {
        close(report[0]);
        close(report[1]);
        throw AutomationError("cannot start the office: fork");
    }
    if (middle == 0) {
        // A short-lived middle process, so the office is nobody's child here and is reaped
        // by the system when it ends.
        const pid_t office = fork();
        if (office == 0) {
            setsid();
            const int null = open("/dev/null", O_RDWR);
            const int log = logPath ? open(logPath, O_WRONLY | O_CREAT | O_APPEND, 0644) : null;
            if (null >= 0) dup2(null, 0);
            if (log >= 0) {
                dup2(log, 1);
                dup2(log, 2);
            }
            closefrom(3);
            execv(argv[0], argv.data());
            _exit(127);
        }
        const pid_t sent = office;
        (void)!write(report[1], &sent, sizeof sent);
        _exit(office < 0 ? 1 : 0);
    }
    close(report[1]);
    pid_t office = -1;
    const ssize_t got = read(report[0], &office, sizeof office);
    // The pipe closes in the office process only after it has its own process group, so
    // waiting for the end of it makes the group ready for a stop.
    for (char rest = 0;;) {
        const ssize_t n = read(report[0], &rest, 1);
        if (n > 0 || (n < 0 && errno == EINTR)) continue;
        break;
    }
    close(report[0]);
    int status = 0;
    while (waitpid(middle, &status, 0) < 0 && errno == EINTR) {
    }
    if (got != static_cast<ssize_t>(sizeof office) || office <= 0) {
        throw AutomationError("cannot start the office: fork");
    }
    return office;
}

bool ProcessAlive(pid_t pid) {
    if (pid <= 0) return false;
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (!std::getline(stat, line)) return false;
    // The state follows the command name, which is in parentheses and may hold blanks.
    const auto close = line.rfind(')');
    return close != std::string::npos && close + 2 < line.size() && line[close + 2] != 'Z';
}

bool StopProcessGroup(pid_t pid, int graceMs) {
    if (pid <= 0) return true;
    using Clock = std::chrono::steady_clock;
    // The office's start script leaves the real office as a child in the same group: the stop
    // is done when none of the group is left.
    auto groupLeft = [pid] { return ProcessAlive(pid) || kill(-pid, 0) == 0; };
    auto waitEnd = [&](int ms) {
        const auto until = Clock::now() + std::chrono::milliseconds(ms);
        while (groupLeft()) {
            if (Clock::now() >= until) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return true;
    };
    if (!groupLeft()) return true;
    kill(-pid, SIGTERM);
    if (waitEnd(graceMs)) return true;
    kill(-pid, SIGKILL);
    return waitEnd(10000);
}

}  // namespace tavrix::spreadsheet
