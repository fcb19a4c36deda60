#pragma once
// Starts a helper program (Xvfb, a compositor, the wedge) that the kernel ends when the test
// program ends, whatever way it ends, so that no helper outlives its test.

#include <sys/types.h>

// The user a child runs as: compositors refuse to run as root, and CI runs as root.
struct TRunAs {
    uid_t Uid = 0;
    gid_t Gid = 0;
};

// Returns the child's pid, or -1. closeInChild: a descriptor the child must not keep
// (-1 for none); quiet: the child's stderr goes to /dev/null; runAs: switch to that user
// before the program starts (only a root parent can; nullptr keeps the parent's user).
pid_t SpawnTiedToParent(char* const argv[], char* const envp[], int closeInChild = -1,
                        bool quiet = false, const TRunAs* runAs = nullptr);
