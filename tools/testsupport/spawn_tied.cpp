#include "spawn_tied.h"

#include <fcntl.h>
#include <grp.h>
#include <signal.h>
#include <sys/prctl.h>
#include <unistd.h>

pid_t SpawnTiedToParent(char* const argv[], char* const envp[], int closeInChild, bool quiet,
                        const TRunAs* runAs) {
    const pid_t parent = getpid();
    const pid_t pid = fork();
    if (pid != 0) return pid;
    // Child: only async-signal-safe calls until exec.
    if (runAs != nullptr && getuid() != runAs->Uid) {
        if (setgroups(0, nullptr) != 0 || setgid(runAs->Gid) != 0 || setuid(runAs->Uid) != 0) {
            _exit(126);
        }
    }
    // After the switch: a change of user clears the parent-death signal.
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != parent) _exit(127);  // the parent is already gone
    if (closeInChild >= 0) close(closeInChild);
    if (quiet) {
        const int null = open("/dev/null", O_WRONLY);
        if (null >= 0) dup2(null, 2);
    }
    execvpe(argv[0], argv, envp);
    _exit(127);
}
