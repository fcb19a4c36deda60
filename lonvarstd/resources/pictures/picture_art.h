#pragma once
// Every picture the program shows, drawn here and only here: the build tool writes
// the device and switch pictures of the program folder from these drawings, and the
// program draws its built-in pictures with the same code.

#include <QColor>
#include <QImage>
#include <QSize>
#include <string>
#include <vector>

namespace tavrix::art {

enum class tArt {
    Caliper,
    DialGauge,
    Micrometer,
    DepthGauge,
    SwitchCable,
    Placeholder,
    UsbPlug,
    Rs232Plug,
    TimerUp,
    TimerDown,
    ProgramPicture,
    Logo,
};

// The drawing at `size`; device drawings scale to any size of 4:3.
QImage Draw(tArt art, QSize size);
// A state lamp of 16 x 16 in `color`.
QImage DrawLed(const QColor& color);

// One device picture of the program folder: "<Name>_G_<Codes>.bmp" (160 x 120) and
// "<Name>_K.bmp" (80 x 60); the codes name the built-in device types it shows.
struct tDevicePictureFile {
    std::string Name;
    std::string Codes;
    tArt Art;
};
const std::vector<tDevicePictureFile>& DevicePictureFiles();

}  // namespace tavrix::art
