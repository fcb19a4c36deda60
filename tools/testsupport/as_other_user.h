#pragma once
// Runs a check as a user without root's rights, so that a file's permissions bind it:
// as root, in a child process that has become `nobody`; otherwise right here.

#include <functional>

namespace tavrix::testing {

// The value `check` returns (0 for success), or 255 when the child could not be made.
int RunWithoutRootRights(const std::function<int()>& check);

// Makes `path` unreadable and unwritable for the user that RunWithoutRootRights runs as.
void ForbidToOtherUser(const char* path);

}  // namespace tavrix::testing
