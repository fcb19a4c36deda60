#include "as_other_user.h"

#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tavrix::testing {

namespace {
constexpr uid_t kNobody = 65534;
}

int RunWithoutRootRights(const std::function<int()>& check) {
    if (::geteuid() != 0) return check();
    const pid_t child = ::fork();
    if (child < 0) return 255;
    if (child == 0) {
        if (::setgroups(0, nullptr) != 0 || ::setresgid(kNobody, kNobody, kNobody) != 0 ||
            ::setresuid(kNobody, kNobody, kNobody) != 0) {
            ::_exit(255);
        }
        ::_exit(check() & 0xff);
    }
    int status = 0;
    if (::waitpid(child, &status, 0) != child || !WIFEXITED(status)) return 255;
    return WEXITSTATUS(status);
}

void ForbidToOtherUser(const char* path) {
    // Root's child is nobody, who is neither owner nor in the group; a plain user loses
    // the owner's rights.
    ::chmod(path, ::geteuid() == 0 ? 0600 : 0);
}

}  // namespace tavrix::testing
