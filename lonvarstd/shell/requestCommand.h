#pragma once
// `LonvarStd --request <key>`: hands a request key to the running instance through its
// single-instance socket and ends at once. The instance takes the key the way it takes
// one from the keyboard hook, so any desktop's own shortcut can call this command.

#include <cstdint>
#include <string>
#include <vector>

// The virtual key code of a request key name, F1..F12 in either case; 0 for any other.
std::uint16_t RequestKeyCode(const std::string& name);

// The name of a request key's code ("F2"); "" for any other code.
std::string RequestKeyName(std::uint16_t keyCode);

// "F1, F2, ..., F12": the names a request may use.
std::string RequestKeyNames();

// Whether the command line (without the program's name) asks for a request; `key` is
// then the text after "--request" ("" when it is missing).
bool IsRequestCommand(const std::vector<std::string>& parameters, std::string& key);

// Exit codes of the command.
enum tRequestExit : int {
    RequestTaken = 0,
    RequestNoInstance = 1,  // nothing listens on the socket
    RequestBadKey = 2,      // not a request key; `message` lists the valid ones
    RequestNotTaken = 3,    // the instance answered with a reason, or did not answer in time
};

// Sends the request for `key` to the instance listening on `socketPath` and waits for
// its answer. `message` is what the user is told (empty when the key was taken).
tRequestExit SendKeyRequest(const std::string& socketPath, const std::string& key,
                            std::string& message);
