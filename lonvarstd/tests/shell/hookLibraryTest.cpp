// The keyboard hook library under a virtual X server of the test's own: function keys
// typed into another window reach the callback, other keys do not, and nothing comes
// after UninstallHook has returned.

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "shell/hook/TavFxHook.h"
#include "xvfb_server.h"

// Last: Xlib's macros would break the test framework's headers.
#include "otherXApplication.h"

namespace {

using namespace std::chrono_literals;

struct tKeyLog {
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<std::uintptr_t> keys;
    std::atomic<bool> uninstalled{false};
    std::atomic<int> afterUninstall{0};

    bool WaitForCount(std::size_t count, std::chrono::milliseconds timeout) {
        std::unique_lock lock(mutex);
        return changed.wait_for(lock, timeout, [&] { return keys.size() >= count; });
    }
    std::vector<std::uintptr_t> Keys() {
        std::lock_guard lock(mutex);
        return keys;
    }
};

void Record(void* window, std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam) {
    auto& log = *static_cast<tKeyLog*>(window);
    if (log.uninstalled) ++log.afterUninstall;
    EXPECT_EQ(msg, TAVFX_KEY_MESSAGE);
    EXPECT_EQ(lParam, 0);
    {
        std::lock_guard lock(log.mutex);
        log.keys.push_back(wParam);
    }
    log.changed.notify_all();
}

class HookLibraryTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        server_ = new TXvfbServer();
        if (server_->Running()) setenv("DISPLAY", server_->Display().c_str(), 1);
    }
    static void TearDownTestSuite() {
        delete server_;
        server_ = nullptr;
    }
    void SetUp() override {
        ASSERT_TRUE(server_->Running()) << "Xvfb did not start";
        library_ = dlopen(TAVFX_HOOK_LIBRARY, RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(library_, nullptr) << dlerror();
        install_ = reinterpret_cast<TavFxInstallHook>(dlsym(library_, "InstallHook"));
        uninstall_ = reinterpret_cast<TavFxUninstallHook>(dlsym(library_, "UninstallHook"));
        ASSERT_NE(install_, nullptr);
        ASSERT_NE(uninstall_, nullptr);
    }
    void TearDown() override {
        if (uninstall_ != nullptr) uninstall_();
        if (library_ != nullptr) dlclose(library_);
    }

    static TXvfbServer* server_;
    void* library_ = nullptr;
    TavFxInstallHook install_ = nullptr;
    TavFxUninstallHook uninstall_ = nullptr;
};

TXvfbServer* HookLibraryTest::server_ = nullptr;

TEST_F(HookLibraryTest, FunctionKeysTypedIntoAnotherWindowArriveOnceEachAndOtherKeysNever) {
    tOtherXApplication other;
    ASSERT_TRUE(other.Open());
    tKeyLog log;
    ASSERT_EQ(install_(&Record, &log), 1);

    // Letters, Enter and a password-like text never leave the library; F13 is no request key.
    int typed = 0;
    for (KeySym sym : {XK_a, XK_Return, XK_space, XK_1, XK_F13, XK_F2}) typed += other.Type(sym);
    ASSERT_TRUE(log.WaitForCount(1, 10s));
    // F1 and F12, the ends of the range, close the sequence.
    other.Type(XK_F1);
    other.Type(XK_F12);
    ASSERT_TRUE(log.WaitForCount(3, 10s));
    EXPECT_EQ(log.Keys(), (std::vector<std::uintptr_t>{113, 112, 123}));
    EXPECT_EQ(other.KeyPressesReceived(), typed + 2) << "the focused window got every key";

    // One hook at a time.
    tKeyLog second;
    EXPECT_EQ(install_(&Record, &second), 0);
    uninstall_();  // before the logs go
}

TEST_F(HookLibraryTest, NothingArrivesAfterUninstallHookReturnsEvenWhileKeysKeepComing) {
    tOtherXApplication other;
    ASSERT_TRUE(other.Open());
    tKeyLog log;
    ASSERT_EQ(install_(&Record, &log), 1);

    // A second application types F5 without pause while the hook is removed.
    std::atomic<bool> stop{false};
    std::thread typist([&] {
        tOtherXApplication typing;
        while (!stop) typing.Type(XK_F5);
    });
    const bool arrived = log.WaitForCount(3, 10s);
    uninstall_();
    log.uninstalled = true;
    const std::size_t countAtUninstall = log.Keys().size();
    // Keys typed after the hook is gone reach the server and go nowhere.
    std::this_thread::sleep_for(200ms);
    stop = true;
    typist.join();
    other.Type(XK_F2);

    EXPECT_TRUE(arrived);
    EXPECT_EQ(log.afterUninstall.load(), 0);
    EXPECT_EQ(log.Keys().size(), countAtUninstall);

    // Installed again, it works as before.
    tKeyLog again;
    ASSERT_EQ(install_(&Record, &again), 1);
    other.Type(XK_F3);
    ASSERT_TRUE(again.WaitForCount(1, 10s));
    EXPECT_EQ(again.Keys().front(), 114u);
    uninstall_();
}

TEST_F(HookLibraryTest, WithoutAnXDisplayInstallFailsAndUninstallIsHarmless) {
    const std::string display = getenv("DISPLAY");
    setenv("DISPLAY", ":9999", 1);
    tKeyLog log;
    EXPECT_EQ(install_(&Record, &log), 0);
    unsetenv("DISPLAY");
    EXPECT_EQ(install_(&Record, &log), 0);
    EXPECT_EQ(install_(nullptr, &log), 0);
    uninstall_();
    setenv("DISPLAY", display.c_str(), 1);
}

}  // namespace
