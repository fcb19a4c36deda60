#include "spawn_tied.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <unistd.h>

pid_t SpawnTiedToParent(char* const argv[], char* const envp[], int closeInChild, bool quiet) {
    const pid_t parent = getpid();
    const pid_t pid = fork();
    if (pid != 0) return pid;
    // Child: only async-signal-safe calls until exec.
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
