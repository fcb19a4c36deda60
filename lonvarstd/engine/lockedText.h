#pragma once
// A text that one thread writes while another reads it, such as a device's
// status text: the worker sets it on a cable status change, the windows show it.

#include <mutex>
#include <string>

namespace tavrix {

class LockedText {
public:
    LockedText() = default;
    LockedText(const LockedText&) = delete;
    LockedText& operator=(const LockedText&) = delete;

    LockedText& operator=(const std::string& text) {
        std::lock_guard lock(mutex_);
        text_ = text;
        return *this;
    }
    std::string get() const {
        std::lock_guard lock(mutex_);
        return text_;
    }
    operator std::string() const { return get(); }  // NOLINT: reads like the plain text it guards
    bool operator==(const std::string& other) const { return get() == other; }

private:
    mutable std::mutex mutex_;
    std::string text_;
};

}  // namespace tavrix
