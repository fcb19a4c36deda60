#include "child_process.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <thread>

#include "spawn_tied.h"

extern char** environ;

TChildProcess::TChildProcess(const std::string& program, const std::vector<std::string>& arguments,
                             const std::map<std::string, std::string>& environment,
                             const TRunAs* runAs) {
    std::vector<std::string> env;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string text = *entry;
        const std::string name = text.substr(0, text.find('='));
        if (environment.count(name) == 0) env.push_back(text);
    }
    for (const auto& [name, value] : environment) env.push_back(name + "=" + value);
    std::vector<char*> envp;
    for (std::string& entry : env) envp.push_back(entry.data());
    envp.push_back(nullptr);
    std::vector<std::string> args{program};
    args.insert(args.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    Pid_ = SpawnTiedToParent(argv.data(), envp.data(), -1, false, runAs);
}

TChildProcess::~TChildProcess() {
    if (Pid_ <= 0 || Reaped_) return;
    kill(Pid_, SIGTERM);
    if (!WaitForExit(std::chrono::seconds(10)) && !Reaped_) {
        kill(Pid_, SIGKILL);
        waitpid(Pid_, &Status_, 0);
    }
}

void TChildProcess::Signal(int signal) {
    if (Running()) kill(Pid_, signal);
}

bool TChildProcess::Running() {
    if (Pid_ <= 0 || Reaped_) return false;
    if (waitpid(Pid_, &Status_, WNOHANG) == Pid_) Reaped_ = true;
    return !Reaped_;
}

std::optional<int> TChildProcess::WaitForExit(std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (Running()) {
        if (std::chrono::steady_clock::now() >= deadline) return std::nullopt;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    if (!Reaped_ || !WIFEXITED(Status_)) return std::nullopt;
    return WEXITSTATUS(Status_);
}
