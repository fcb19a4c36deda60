#include "support/safe_file_replace.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "support/ini_io_error.h"

namespace tavrix {
namespace {

std::string errnoText(const char* step, int error) {
    return std::string(step) + ": " + std::strerror(error);
}

std::string folderOf(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

std::string nameOf(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool writeAll(int fd, std::string_view data) {
    while (!data.empty()) {
        const ssize_t n = ::write(fd, data.data(), data.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

// Creates a new, unique file next to `path`; its mode follows the umask like any new file.
int createTempFile(const std::string& path, std::string& tempPath) {
    static std::atomic<unsigned> counter{0};
    const std::string stem =
        folderOf(path) + "/." + nameOf(path) + ".tmp" + std::to_string(::getpid()) + "-";
    for (int attempt = 0; attempt < 100; ++attempt) {
        tempPath = stem + std::to_string(counter.fetch_add(1));
        const int fd = ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}

// Used where the file system has no hard links: a copy that refuses to overwrite.
void copyToNewFile(const std::string& from, const std::string& to) {
    const int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0) return;
    const int out = ::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (out < 0) {
        ::close(in);
        return;
    }
    char buffer[65536];
    bool ok = true;
    for (;;) {
        const ssize_t n = ::read(in, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            ok = n == 0;
            break;
        }
        if (!writeAll(out, std::string_view(buffer, static_cast<std::size_t>(n)))) {
            ok = false;
            break;
        }
    }
    ::close(in);
    if (::close(out) != 0) ok = false;
    if (!ok) ::unlink(to.c_str());  // a torn backup is worse than none
}

void keepBackup(const std::string& path, const std::string& backupPath) {
    if (backupPath == path) return;
    if (::link(path.c_str(), backupPath.c_str()) == 0 || errno == EEXIST) return;
    copyToNewFile(path, backupPath);
}

void syncFolder(const std::string& path) {
    const int fd = ::open(folderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

// The file a settings path really names. A settings file kept elsewhere behind a
// symbolic link is rewritten where it lies; renaming over the link would replace
// the link with a copy and leave the real file behind, unchanged from then on.
std::string resolvedTarget(const std::string& path) {
    struct stat link {};
    if (::lstat(path.c_str(), &link) != 0 || !S_ISLNK(link.st_mode)) return path;
    char* real = ::realpath(path.c_str(), nullptr);
    if (real == nullptr) return path;  // a dangling link: nothing to keep behind it
    std::string target(real);
    std::free(real);
    return target;
}

}  // namespace

void ReplaceFileKeepingBackup(const std::string& settingsPath, std::string_view content,
                              const std::string& backupPath) {
    const std::string path = resolvedTarget(settingsPath);
    struct stat old {};
    const bool oldExists = ::stat(path.c_str(), &old) == 0;
    if (!oldExists && errno != ENOENT) throw IniIoError(path, errnoText("stat", errno));
    if (oldExists) {
        if (S_ISDIR(old.st_mode)) throw IniIoError(path, "is a folder");
        if (::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0) {
            throw IniIoError(path, errnoText("not writable", errno));
        }
    }

    std::string tempPath;
    const int fd = createTempFile(path, tempPath);
    if (fd < 0) throw IniIoError(path, errnoText("create temporary file", errno));

    const char* failedStep = nullptr;
    if (oldExists) ::fchmod(fd, old.st_mode & 07777);  // keep the file's permissions
    if (!writeAll(fd, content)) {
        failedStep = "write";
    } else if (::fsync(fd) != 0) {
        failedStep = "flush";
    }
    int error = errno;
    if (::close(fd) != 0 && failedStep == nullptr) {
        failedStep = "close";
        error = errno;
    }
    if (failedStep == nullptr) {
        if (oldExists) keepBackup(path, backupPath);
        if (::rename(tempPath.c_str(), path.c_str()) != 0) {
            failedStep = "rename";
            error = errno;
        }
    }
    if (failedStep != nullptr) {
        ::unlink(tempPath.c_str());
        throw IniIoError(path, errnoText(failedStep, error));
    }
    syncFolder(path);
}

}  // namespace tavrix
