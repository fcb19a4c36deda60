#pragma once
// A small X client of the test's own: a window that takes the keyboard focus and records
// the keys it receives, named keys in braces ("{ENTER}", "{TAB}", "{F9}" ...).

#include <chrono>
#include <functional>
#include <string>
#include <vector>

struct _XDisplay;

class TKeyRecorder {
public:
    explicit TKeyRecorder(const std::string& display);
    ~TKeyRecorder();
    TKeyRecorder(const TKeyRecorder&) = delete;
    TKeyRecorder& operator=(const TKeyRecorder&) = delete;

    bool Ready() const { return Window_ != 0; }
    // Gives the window the focus and waits until it has it.
    bool TakeFocus(std::chrono::milliseconds timeout, const std::function<void()>& pump);
    void FocusWindow(unsigned long window);  // hands the focus to another window

    // Reads what the server has delivered so far.
    void Pump();
    // Pumps (and runs `pump`) until the condition holds or the time-out passes.
    bool WaitFor(const std::function<bool()>& condition, std::chrono::milliseconds timeout,
                 const std::function<void()>& pump = nullptr);

    // Presses and releases a key (by keysym name such as "F9") through XTest.
    void PressKey(const char* keysymName);
    // A shown top-level window whose title is exactly `title`, or 0.
    unsigned long FindWindowByTitle(const std::string& title);
    // Asks a top-level window to close, as a window manager's close button does.
    void RequestClose(unsigned long window);

    std::string Text;
    bool Focused = false;
    std::chrono::steady_clock::time_point LastKeyAt;

private:
    _XDisplay* Display_ = nullptr;
    unsigned long Window_ = 0;
};
