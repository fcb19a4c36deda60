#pragma once
// Test environment for the end-to-end tests: a virtual X server of the test program's
// own and a QApplication on it, so that the wedge types through the real server.

#include <gtest/gtest.h>

#include <QApplication>
#include <memory>

#include "xvfb_server.h"

class TX11Session : public ::testing::Environment {
public:
    void SetUp() override {
        Server_ = std::make_unique<TXvfbServer>();
        ASSERT_TRUE(Server_->Running()) << "Xvfb did not start";
        qputenv("DISPLAY", QByteArray::fromStdString(Server_->Display()));
        qputenv("QT_QPA_PLATFORM", "xcb");
        App_ = std::make_unique<QApplication>(Argc_, Argv_);
    }
    void TearDown() override {
        App_.reset();
        Server_.reset();
    }

private:
    int Argc_ = 1;
    char Name_[16] = "vantro_x11";
    char* Argv_[2] = {Name_, nullptr};
    std::unique_ptr<TXvfbServer> Server_;
    std::unique_ptr<QApplication> App_;
};
