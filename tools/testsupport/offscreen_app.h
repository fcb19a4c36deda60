#pragma once
// One QApplication for a whole test program, on the offscreen platform unless a display
// platform was chosen before; waiting on the event loop for a condition.

#include <gtest/gtest.h>

#include <QApplication>
#include <chrono>
#include <functional>
#include <memory>
#include <thread>

class TOffscreenApp : public ::testing::Environment {
public:
    void SetUp() override {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        App_ = std::make_unique<QApplication>(Argc_, Argv_);
    }
    void TearDown() override { App_.reset(); }

private:
    int Argc_ = 1;
    char Name_[16] = "tests";
    char* Argv_[2] = {Name_, nullptr};
    std::unique_ptr<QApplication> App_;
};

// Runs the event loop until the condition holds or the time-out passes.
inline bool WaitUntil(const std::function<bool()>& condition,
                      std::chrono::milliseconds timeout = std::chrono::seconds(10)) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

inline void PumpEvents() {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}
