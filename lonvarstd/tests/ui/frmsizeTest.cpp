// Placement memory: per resolution, minimised and maximised windows, MemSize, the
// centred defaults and the clamp onto a screen that still exists.
#include <gtest/gtest.h>

#include <QWidget>

#include "support/new_ini_file.h"
#include "tests/support/temp_folder.h"
#include "ui/Frmsize.h"
#include "ui_test_app.h"

namespace {

tScreenLayout oneScreen(int width, int height) {
    return {QSize(width, height), {QRect(0, 0, width, height)}};
}

class FrmsizeTest : public ::testing::Test {
protected:
    void SetUp() override {
        UseLayout(oneScreen(1024, 768));
        form_.setObjectName("FrmTest");
        form_.resize(300, 200);
        form_.move(10, 20);
    }
    void TearDown() override { SetScreenLayoutSource({}); }

    void UseLayout(tScreenLayout layout) {
        SetScreenLayoutSource([layout] { return layout; });
    }
    void Store(TSize& size) {
        TNewIniFile ini(dir_.file("LonvarStd.INI"));
        size.Store(ini, TSize::SectionFor("FrmTest"));
    }
    void Restore(TSize& size) {
        TNewIniFile ini(dir_.file("LonvarStd.INI"));
        size.Restore(ini, TSize::SectionFor("FrmTest"));
    }
    int Stored(const char* key) {
        return TNewIniFile(dir_.file("LonvarStd.INI"))
            .ReadInteger(TSize::SectionFor("FrmTest"), key, -1);
    }

    TempFolder dir_;
    QWidget form_;
};

TEST_F(FrmsizeTest, EachResolutionKeepsItsOwnPlacement) {
    TSize size(&form_);
    form_.setGeometry(100, 50, 400, 300);
    Store(size);
    EXPECT_EQ(TSize::SectionFor("FrmTest"), "FrmTest_1024X768");
    EXPECT_EQ(Stored("_L"), 100);
    EXPECT_EQ(Stored("_W"), 400);

    // A new resolution starts centred at the window's current size.
    UseLayout(oneScreen(1280, 1024));
    Restore(size);
    EXPECT_EQ(form_.pos(), QPoint((1280 - 400) / 2, (1024 - 300) / 2));
    EXPECT_EQ(form_.size(), QSize(400, 300));

    form_.setGeometry(5, 6, 500, 350);
    UseLayout(oneScreen(1024, 768));
    Restore(size);
    EXPECT_EQ(form_.pos(), QPoint(100, 50));
    EXPECT_EQ(form_.size(), QSize(400, 300));
}

TEST_F(FrmsizeTest, CentredDefaultsRoundDown) {
    TSize size(&form_);
    form_.resize(301, 201);
    Restore(size);
    EXPECT_EQ(form_.pos(), QPoint(361, 283));
    // A window larger than the screen would start with its title above the screen.
    form_.resize(1101, 801);
    UseLayout(oneScreen(1000, 700));
    Restore(size);
    EXPECT_EQ(form_.pos(), QPoint(0, 0));
    EXPECT_EQ(form_.size(), QSize(1101, 801));
}

TEST_F(FrmsizeTest, MinimisedWindowIsStoredWithItsNormalPlace) {
    TSize size(&form_);
    form_.setGeometry(120, 80, 320, 240);
    form_.setWindowState(Qt::WindowMinimized);
    Store(size);
    EXPECT_EQ(Stored("_S"), 1);
    EXPECT_EQ(Stored("_L"), 120);
    EXPECT_EQ(Stored("_T"), 80);
    EXPECT_EQ(Stored("_W"), 320);
    EXPECT_EQ(Stored("_H"), 240);
    EXPECT_TRUE(form_.windowState() & Qt::WindowMinimized);

    QWidget again;
    again.resize(100, 100);
    TSize restoreSize(&again);
    TNewIniFile ini(dir_.file("LonvarStd.INI"));
    restoreSize.Restore(ini, TSize::SectionFor("FrmTest"));
    EXPECT_TRUE(again.windowState() & Qt::WindowMinimized);
    EXPECT_EQ(again.geometry(), QRect(120, 80, 320, 240));
}

TEST_F(FrmsizeTest, MaximisedWindowReturnsToItsNormalPlace) {
    TSize size(&form_);
    form_.setGeometry(30, 40, 320, 240);
    form_.show();
    form_.setWindowState(Qt::WindowMaximized);
    ASSERT_TRUE(WaitUntil([&] { return form_.isMaximized(); }));
    Store(size);
    EXPECT_EQ(Stored("_S"), 2);
    EXPECT_EQ(Stored("_W"), 320);

    QWidget again;
    TSize restoreSize(&again);
    TNewIniFile ini(dir_.file("LonvarStd.INI"));
    restoreSize.Restore(ini, TSize::SectionFor("FrmTest"));
    EXPECT_TRUE(again.windowState() & Qt::WindowMaximized);
    again.setWindowState(Qt::WindowNoState);
    EXPECT_EQ(again.geometry(), QRect(30, 40, 320, 240));
}

TEST_F(FrmsizeTest, SizeIsLeftAloneWhenNotRemembered) {
    TSize size(&form_);
    form_.setGeometry(50, 60, 400, 300);
    Store(size);
    form_.setGeometry(0, 0, 250, 150);
    size.MemSize = false;
    Restore(size);
    EXPECT_EQ(form_.pos(), QPoint(50, 60));
    EXPECT_EQ(form_.size(), QSize(250, 150));
    // Storing without size keeps the size stored before.
    Store(size);
    EXPECT_EQ(Stored("_W"), 400);

    size.MemSize = true;
    size.MemPosition = false;
    form_.move(7, 8);
    Restore(size);
    EXPECT_EQ(form_.pos(), QPoint(7, 8));
    EXPECT_EQ(form_.size(), QSize(400, 300));
}

TEST_F(FrmsizeTest, WindowOfARemovedScreenIsBroughtBack) {
    // Stored on the right of two screens of the same resolution.
    UseLayout({QSize(1280, 1024), {QRect(0, 0, 1280, 1024), QRect(1280, 0, 1280, 1024)}});
    TSize size(&form_);
    form_.setGeometry(1500, 100, 400, 300);
    Store(size);
    Restore(size);
    EXPECT_EQ(form_.pos(), QPoint(1500, 100));  // still reachable there

    UseLayout(oneScreen(1280, 1024));
    Restore(size);
    EXPECT_EQ(form_.pos(), QPoint(1280 - 400, 100));
    EXPECT_EQ(form_.size(), QSize(400, 300));

    // Above the screen: only the title strip counts.
    form_.setGeometry(200, -290, 400, 300);
    Store(size);
    Restore(size);
    EXPECT_EQ(form_.pos(), QPoint(200, 0));
    // Mostly off to the left but grabbable stays where it is.
    form_.setGeometry(-300, 10, 400, 300);
    Store(size);
    Restore(size);
    EXPECT_EQ(form_.pos(), QPoint(-300, 10));
}

}  // namespace
