// Writes the device pictures ("UDEVICES/<name>_G_<codes>.bmp" and "<name>_K.bmp") and
// the switch cable's pair ("Switch.bmp", "_Switch.bmp") into the program folder.
#include <QGuiApplication>
#include <QImage>
#include <cstdio>
#include <filesystem>
#include <string>

#include "resources/pictures/picture_art.h"

namespace {

bool save(const QImage& image, const std::string& path) {
    if (image.save(QString::fromStdString(path), "BMP")) return true;
    std::fprintf(stderr, "make_pictures: cannot write %s\n", path.c_str());
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: make_pictures <program folder> <stamp file>\n");
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    using namespace tavrix::art;
    const std::string folder = std::string(argv[1]) + "/";
    std::error_code error;
    std::filesystem::create_directories(folder + "UDEVICES", error);
    bool ok = true;
    for (const tDevicePictureFile& file : DevicePictureFiles()) {
        ok &= save(Draw(file.Art, {160, 120}),
                   folder + "UDEVICES/" + file.Name + "_G_" + file.Codes + ".bmp");
        ok &= save(Draw(file.Art, {80, 60}), folder + "UDEVICES/" + file.Name + "_K.bmp");
    }
    ok &= save(Draw(tArt::SwitchCable, {160, 120}), folder + "Switch.bmp");
    ok &= save(Draw(tArt::SwitchCable, {80, 60}), folder + "_Switch.bmp");
    if (!ok) return 1;
    if (std::FILE* stamp = std::fopen(argv[2], "w")) {
        std::fclose(stamp);
        return 0;
    }
    return 1;
}
