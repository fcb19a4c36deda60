// The device picture loader against picture files in a temporary folder, and the
// switch pictures.
#include <gtest/gtest.h>

#include <QImage>
#include <filesystem>

#include "engine/deviceDescr.h"
#include "tests/support/temp_folder.h"
#include "ui/DevicePictures.h"
#include "ui_test_app.h"

namespace {

class DevicePicturesTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = dir_.file("UDEVICES/");
        std::filesystem::create_directories(folder_);
        tavrix::CreateBuiltInDescrs(usb_, rs232_);  // USB: -, 91, 1, 4; RS232: -, 1
    }

    // A picture of one colour; the colour tells the test which file was loaded.
    void Picture(const std::string& name, QSize size, QColor color) {
        QImage image(size, QImage::Format_RGB32);
        image.fill(color);
        ASSERT_TRUE(image.save(QString::fromStdString(folder_ + name), "BMP"));
    }
    void Pair(const std::string& big, const std::string& small, QColor color) {
        Picture(big, tDevicePictures::BigSize, color);
        Picture(small, tDevicePictures::SmallSize, color);
    }
    void Load() { pictures_.Load(usb_, rs232_, folder_); }
    static QRgb Colour(const QPixmap& pixmap) { return pixmap.toImage().pixel(10, 10); }
    static bool IsPlaceholder(const QPixmap& pixmap, tBuiltinPicture which) {
        return pixmap.toImage() == BuiltinPicture(which).toImage();
    }

    TempFolder dir_;
    std::string folder_;
    tDeviceDescrList usb_;
    tDeviceDescrList rs232_;
    tDevicePictures pictures_;
};

TEST_F(DevicePicturesTest, NamesCodesAndCompanions) {
    Pair("zeta_G_0111.bmp", "zeta_K.bmp", Qt::red);          // type 1 on both
    Pair("Alpha_G_0401_0110.bmp", "Alpha_K.bmp", Qt::blue);  // type 4 USB, type 1 RS232
    Pair("Upper_G_0111.BMP", "Upper_K.bmp", Qt::green);      // listed, but no codes
    Pair("NoCodes_G_.bmp", "NoCodes_K.bmp", Qt::cyan);
    Picture("Lonely_G_0111.bmp", tDevicePictures::BigSize, Qt::black);  // no "_K"
    Picture("Plain.bmp", tDevicePictures::BigSize, Qt::black);          // no "_G_"
    Load();

    EXPECT_EQ(pictures_.ImageNames(),
              (std::vector<std::string>{" ...", "Alpha", "NoCodes", "Upper", "zeta"}));
    EXPECT_EQ(Colour(pictures_.Big(1)), QColor(Qt::blue).rgb());
    EXPECT_EQ(Colour(pictures_.Small(3)), QColor(Qt::green).rgb());
    EXPECT_EQ(Colour(pictures_.Big(4)), QColor(Qt::red).rgb());
    EXPECT_EQ(usb_[0]->ImageIdx, (std::vector<int>{0}));
    EXPECT_EQ(usb_[1]->ImageIdx, (std::vector<int>{0}));     // switch cable, type 91
    EXPECT_EQ(usb_[2]->ImageIdx, (std::vector<int>{0, 4}));  // type 1
    EXPECT_EQ(usb_[3]->ImageIdx, (std::vector<int>{0, 1}));  // type 4
    EXPECT_EQ(rs232_[1]->ImageIdx, (std::vector<int>{0, 1, 4}));

    EXPECT_EQ(pictures_.FindImageIndex("zeta"), 4);
    EXPECT_EQ(pictures_.FindImageIndex("Zeta"), 0);
    EXPECT_EQ(pictures_.FindImageIndex("Lonely"), 0);
    EXPECT_TRUE(IsPlaceholder(pictures_.Big(0), tBuiltinPicture::PlaceholderBig));
    EXPECT_TRUE(IsPlaceholder(pictures_.Small(99), tBuiltinPicture::PlaceholderSmall));
    EXPECT_TRUE(IsPlaceholder(pictures_.Big(-1), tBuiltinPicture::PlaceholderBig));
}

TEST_F(DevicePicturesTest, BadCodeKeepsTheWholeFileName) {
    Pair("Bad_G_0111_x101.bmp", "Bad_K.bmp", Qt::red);
    Load();
    ASSERT_EQ(pictures_.ImageNames().size(), 2u);
    EXPECT_EQ(pictures_.ImageNames()[1], "Bad_G_0111_x101.bmp");
    EXPECT_EQ(pictures_.FindImageIndex("Bad"), 0);
    EXPECT_EQ(Colour(pictures_.Big(1)), QColor(Qt::red).rgb());
    // The codes before the bad one were registered.
    EXPECT_EQ(usb_[2]->ImageIdx, (std::vector<int>{0, 1}));
}

TEST_F(DevicePicturesTest, PictureThatCannotBeUsedKeepsItsPlace) {
    Pair("A_G_0111.bmp", "A_K.bmp", Qt::red);
    writeBytes(folder_ + "B_G_0111.bmp", "no picture at all");
    Picture("B_K.bmp", tDevicePictures::SmallSize, Qt::green);
    Picture("C_G_0111.bmp", {100, 100}, Qt::blue);  // wrong size
    Picture("C_K.bmp", tDevicePictures::SmallSize, Qt::blue);
    Pair("D_G_0111.bmp", "D_K.bmp", Qt::yellow);
    Load();

    EXPECT_EQ(pictures_.ImageNames(), (std::vector<std::string>{" ...", "A", "B", "C", "D"}));
    EXPECT_TRUE(IsPlaceholder(pictures_.Big(2), tBuiltinPicture::PlaceholderBig));
    EXPECT_EQ(Colour(pictures_.Small(2)), QColor(Qt::green).rgb());
    EXPECT_TRUE(IsPlaceholder(pictures_.Big(3), tBuiltinPicture::PlaceholderBig));
    EXPECT_EQ(Colour(pictures_.Small(3)), QColor(Qt::blue).rgb());
    // The picture after them still belongs to its name.
    EXPECT_EQ(Colour(pictures_.Big(pictures_.FindImageIndex("D"))), QColor(Qt::yellow).rgb());
    EXPECT_EQ(usb_[2]->ImageIdx, (std::vector<int>{0, 1, 2, 3, 4}));
}

TEST_F(DevicePicturesTest, LoadingAgainStartsAfresh) {
    Pair("A_G_0111.bmp", "A_K.bmp", Qt::red);
    Load();
    std::filesystem::remove(folder_ + "A_G_0111.bmp");
    Load();
    EXPECT_EQ(pictures_.ImageNames(), (std::vector<std::string>{" ..."}));
    EXPECT_EQ(usb_[2]->ImageIdx, (std::vector<int>{0}));
    // A missing folder lists nothing.
    pictures_.Load(usb_, rs232_, dir_.file("none/"));
    EXPECT_EQ(pictures_.ImageNames().size(), 1u);
}

TEST_F(DevicePicturesTest, SwitchPicturesNeedBothFiles) {
    const std::string prog = dir_.path() + "/";
    pictures_.LoadSwitchPictures(prog);
    EXPECT_TRUE(IsPlaceholder(pictures_.SwitchBig(), tBuiltinPicture::SwitchBig));
    QImage small(tDevicePictures::SmallSize, QImage::Format_RGB32);
    small.fill(Qt::red);
    ASSERT_TRUE(small.save(QString::fromStdString(prog + "_Switch.bmp"), "BMP"));
    pictures_.LoadSwitchPictures(prog);
    EXPECT_TRUE(IsPlaceholder(pictures_.SwitchSmall(), tBuiltinPicture::SwitchSmall));
    QImage big(tDevicePictures::BigSize, QImage::Format_RGB32);
    big.fill(Qt::blue);
    ASSERT_TRUE(big.save(QString::fromStdString(prog + "Switch.bmp"), "BMP"));
    pictures_.LoadSwitchPictures(prog);
    EXPECT_EQ(Colour(pictures_.SwitchSmall()), QColor(Qt::red).rgb());
    EXPECT_EQ(Colour(pictures_.SwitchBig()), QColor(Qt::blue).rgb());
}

TEST(BuiltinPictures, HaveTheirSizes) {
    const std::pair<tBuiltinPicture, QSize> sizes[] = {
        {tBuiltinPicture::UsbPlug, {36, 36}},
        {tBuiltinPicture::Rs232Plug, {36, 36}},
        {tBuiltinPicture::SwitchSmall, {80, 60}},
        {tBuiltinPicture::SwitchBig, {160, 120}},
        {tBuiltinPicture::PlaceholderSmall, {80, 60}},
        {tBuiltinPicture::PlaceholderBig, {160, 120}},
        {tBuiltinPicture::LedSilver, {16, 16}},
        {tBuiltinPicture::LedRed, {16, 16}},
    };
    for (const auto& [which, size] : sizes) {
        EXPECT_EQ(BuiltinPicture(which).size(), size) << static_cast<int>(which);
    }
}

}  // namespace
