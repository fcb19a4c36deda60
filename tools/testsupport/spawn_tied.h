#pragma once
// Starts a helper program (Xvfb, the wedge) that the kernel ends when the test program
// ends, whatever way it ends, so that no helper outlives its test.

#include <sys/types.h>

// Returns the child's pid, or -1. closeInChild: a descriptor the child must not keep
// (-1 for none); quiet: the child's stderr goes to /dev/null.
pid_t SpawnTiedToParent(char* const argv[], char* const envp[], int closeInChild = -1,
                        bool quiet = false);
