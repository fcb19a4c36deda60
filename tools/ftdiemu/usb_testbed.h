#pragma once
// The one device test bed of a process: a made-up /sys and /dev that the
// umockdev preload library shows the process (and its children) instead of the
// machine's. It has to exist before anything opens libusb.

#include <string>

typedef struct _UMockdevTestbed UMockdevTestbed;

namespace tavrix::ftdiemu {

class Testbed {
public:
    // Made on first use, kept for the life of the process.
    static Testbed& instance();

    UMockdevTestbed* get() const { return testbed_; }
    // The folder the children's UMOCKDEV_DIR has to name.
    std::string rootDir() const;

private:
    Testbed();
    UMockdevTestbed* testbed_;
};

// The LD_PRELOAD a process needs to see the test bed: a sanitizer runtime this
// program runs with first (it insists on that), then the umockdev library.
std::string preloadList();

// True when this process already runs with the umockdev library loaded.
bool preloaded();

// Starts this program again, same arguments, with preloadList() when it is not
// preloaded yet; returns only when it is (or when the new start failed).
void reexecPreloaded();

}  // namespace tavrix::ftdiemu
