#include "swaySession.h"

#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <thread>

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

const char* const kUser = "tavrixway";

// Forks `argv` as uid/gid with exactly `env`; the child dies with the test program.
pid_t SpawnAs(uid_t uid, gid_t gid, const std::vector<std::string>& argv,
              const std::map<std::string, std::string>& env, const std::string& outFile) {
    std::vector<std::string> args = argv;
    std::vector<std::string> vars;
    for (const auto& [name, value] : env) vars.push_back(name + "=" + value);
    std::vector<char*> cargv, cenv;
    for (std::string& a : args) cargv.push_back(a.data());
    cargv.push_back(nullptr);
    for (std::string& v : vars) cenv.push_back(v.data());
    cenv.push_back(nullptr);
    const std::string out = outFile.empty() ? "/dev/null" : outFile;
    const pid_t parent = getpid();
    const pid_t pid = fork();
    if (pid != 0) return pid;
    // Child: only async-signal-safe calls until exec. The parent-death signal is set
    // after the change of user, which would clear it.
    if (getuid() != uid) {
        if (setgroups(0, nullptr) != 0 || setgid(gid) != 0 || setuid(uid) != 0) _exit(126);
    }
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != parent) _exit(127);
    const int fd = open(out.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    const int null = open("/dev/null", O_RDONLY);
    if (null >= 0) dup2(null, 0);
    if (fd >= 0) {
        dup2(fd, 1);
        dup2(fd, 2);
    }
    execvpe(cargv[0], cargv.data(), cenv.data());
    _exit(127);
}

void GiveTo(const fs::path& folder, uid_t uid, gid_t gid) {
    if (lchown(folder.c_str(), uid, gid) != 0) return;
    std::error_code ec;
    for (const auto& entry : fs::recursive_directory_iterator(folder, ec)) {
        if (lchown(entry.path().c_str(), uid, gid) != 0) return;
    }
}

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace

tSessionProcess::~tSessionProcess() {
    if (pid_ <= 0 || reaped_) return;
    kill(pid_, SIGTERM);
    if (!WaitForExit(5s) && !reaped_) {
        kill(pid_, SIGKILL);
        waitpid(pid_, &status_, 0);
    }
}

bool tSessionProcess::Running() {
    if (pid_ <= 0 || reaped_) return false;
    if (waitpid(pid_, &status_, WNOHANG) == pid_) reaped_ = true;
    return !reaped_;
}

std::optional<int> tSessionProcess::WaitForExit(std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (Running()) {
        if (std::chrono::steady_clock::now() >= deadline) return std::nullopt;
        std::this_thread::sleep_for(2ms);
    }
    if (!reaped_ || !WIFEXITED(status_)) return std::nullopt;
    return WEXITSTATUS(status_);
}

tSwaySession::tSwaySession(const std::string& folder, const std::string& configLines)
    : folder_(folder), uid_(getuid()), gid_(getgid()) {
    if (geteuid() == 0) {
        if (getpwnam(kUser) == nullptr) {
            const std::string make =
                std::string("useradd -M -d /nonexistent -s /usr/sbin/nologin ") + kUser +
                " >/dev/null 2>&1";
            if (std::system(make.c_str()) != 0 && getpwnam(kUser) == nullptr) return;
        }
        const passwd* user = getpwnam(kUser);
        uid_ = user->pw_uid;
        gid_ = user->pw_gid;
    }
    const fs::path rt = fs::path(folder) / "rt";
    fs::create_directories(rt);
    std::ofstream(fs::path(folder) / "sway.config") << "output HEADLESS-1 resolution 1280x800\n"
                                                    << configLines << "\n";
    chmod(folder.c_str(), 0755);
    GiveTo(folder, uid_, gid_);
    chmod(rt.c_str(), 0700);

    env_ = {{"XDG_RUNTIME_DIR", rt.string()},
            {"HOME", folder},
            {"PATH", "/usr/local/bin:/usr/bin:/bin"},
            {"XDG_SESSION_TYPE", "wayland"},
            {"LANG", "C.UTF-8"}};
    std::map<std::string, std::string> swayEnv = env_;
    swayEnv.insert({{"WLR_BACKENDS", "headless"},
                    {"WLR_RENDERER", "pixman"},
                    {"WLR_LIBINPUT_NO_DEVICES", "1"}});
    sway_ = std::make_unique<tSessionProcess>(
        SpawnAs(uid_, gid_, {"sway", "-c", (fs::path(folder) / "sway.config").string()}, swayEnv,
                (fs::path(folder) / "sway.log").string()));
    // The sockets appear after about a second.
    const auto deadline = std::chrono::steady_clock::now() + 20s;
    while (std::chrono::steady_clock::now() < deadline && sway_->Running()) {
        std::string display, ipc;
        std::error_code ec;
        for (const auto& entry : fs::directory_iterator(rt, ec)) {
            const std::string name = entry.path().filename().string();
            if (name.rfind("wayland-", 0) == 0 && name.find(".lock") == std::string::npos)
                display = name;
            if (name.rfind("sway-ipc.", 0) == 0) ipc = entry.path().string();
        }
        if (!display.empty() && !ipc.empty()) {
            env_["WAYLAND_DISPLAY"] = display;
            env_["SWAYSOCK"] = ipc;
            running_ = true;
            return;
        }
        std::this_thread::sleep_for(20ms);
    }
}

tSwaySession::~tSwaySession() {
    sway_.reset();
}

std::string tSwaySession::Log() const {
    return ReadAll((fs::path(folder_) / "sway.log").string());
}

std::unique_ptr<tSessionProcess> tSwaySession::Start(
    const std::vector<std::string>& argv, const std::string& outFile,
    const std::map<std::string, std::string>& environment) {
    std::map<std::string, std::string> env = env_;
    for (const auto& [name, value] : environment) env[name] = value;
    // Made here, so that the user may write it.
    if (!outFile.empty()) {
        std::ofstream(outFile, std::ios::app).flush();
        [[maybe_unused]] const int given = lchown(outFile.c_str(), uid_, gid_);
    }
    return std::make_unique<tSessionProcess>(SpawnAs(uid_, gid_, argv, env, outFile));
}

std::optional<int> tSwaySession::Run(const std::vector<std::string>& argv, std::string& output,
                                     std::chrono::milliseconds timeout) {
    const std::string name =
        (fs::path(folder_) / ("run" + std::to_string(++runs_) + ".txt")).string();
    std::optional<int> code;
    {
        auto process = Start(argv, name);
        code = process->WaitForExit(timeout);
    }
    output = ReadAll(name);
    return code;
}
