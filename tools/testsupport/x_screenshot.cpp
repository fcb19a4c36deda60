// Saves the root window of $DISPLAY as a PNG: x_screenshot out.png
// Used to look at the wedge's layouts under a virtual X server.

#include <QGuiApplication>
#include <QImage>
#include <cstdio>

#include <X11/Xlib.h>
#include <X11/Xutil.h>

int main(int argc, char* argv[]) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: x_screenshot out.png\n");
        return 2;
    }
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        std::fprintf(stderr, "no X display\n");
        return 1;
    }
    const Window root = DefaultRootWindow(display);
    XWindowAttributes attributes;
    XGetWindowAttributes(display, root, &attributes);
    XImage* image = XGetImage(display, root, 0, 0, unsigned(attributes.width),
                              unsigned(attributes.height), AllPlanes, ZPixmap);
    if (image == nullptr) return 1;
    QImage png(attributes.width, attributes.height, QImage::Format_RGB32);
    for (int y = 0; y < attributes.height; ++y) {
        for (int x = 0; x < attributes.width; ++x) {
            png.setPixel(x, y, QRgb(XGetPixel(image, x, y) | 0xff000000u));
        }
    }
    XDestroyImage(image);
    XCloseDisplay(display);
    return png.save(QString::fromLocal8Bit(argv[1])) ? 0 : 1;
}
