#include "resources/pictures/picture_art.h"

#include <QPainter>
#include <QPainterPath>
#include <cmath>

namespace tavrix::art {

namespace {

// Device pictures are drawn on a 160 x 120 grid and scaled.
constexpr QSizeF DeviceGrid{160, 120};

const QColor Steel{0xB8, 0xBE, 0xC6};
const QColor SteelDark{0x6A, 0x72, 0x7C};
const QColor Ink{0x20, 0x24, 0x2A};
const QColor Paper{0xFA, 0xFA, 0xF6};
const QColor Accent{0x1E, 0x5A, 0xA8};

QImage blank(QSize size, const QColor& background) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(background);
    return image;
}

void beginDevice(QPainter& p, QSize size) {
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size.width() / DeviceGrid.width(), size.height() / DeviceGrid.height());
}

void drawCaliper(QPainter& p) {
    p.setPen(QPen(Ink, 1.2));
    // Beam with a scale.
    p.setBrush(Steel);
    p.drawRect(QRectF(14, 40, 136, 16));
    p.setPen(QPen(SteelDark, 0.8));
    for (int i = 0; i <= 26; ++i) {
        const double x = 20 + i * 5;
        p.drawLine(QPointF(x, 40), QPointF(x, i % 2 ? 44 : 47));
    }
    p.setPen(QPen(Ink, 1.2));
    // Fixed jaw and sliding jaw.
    QPainterPath fixedJaw;
    fixedJaw.moveTo(14, 40);
    fixedJaw.lineTo(14, 104);
    fixedJaw.lineTo(22, 104);
    fixedJaw.lineTo(30, 56);
    fixedJaw.lineTo(30, 40);
    fixedJaw.closeSubpath();
    p.drawPath(fixedJaw);
    p.drawRect(QRectF(14, 22, 10, 18));
    QPainterPath slideJaw;
    slideJaw.moveTo(52, 56);
    slideJaw.lineTo(44, 104);
    slideJaw.lineTo(52, 104);
    slideJaw.lineTo(68, 56);
    slideJaw.closeSubpath();
    p.drawPath(slideJaw);
    // Slider with its display.
    p.setBrush(QColor(0x3C, 0x44, 0x50));
    p.drawRoundedRect(QRectF(46, 30, 62, 34), 4, 4);
    p.setBrush(QColor(0xC8, 0xE6, 0xC0));
    p.drawRect(QRectF(52, 36, 40, 14));
    p.setBrush(Accent);
    p.drawEllipse(QRectF(96, 38, 8, 8));
    p.drawRect(QRectF(30, 18, 6, 22));
}

void drawDialGauge(QPainter& p) {
    p.setPen(QPen(Ink, 1.2));
    // Stem and plunger below the dial, lug above it.
    p.setBrush(Steel);
    p.drawRect(QRectF(74, 92, 12, 14));
    p.drawRect(QRectF(78, 106, 4, 10));
    p.drawEllipse(QRectF(76, 112, 8, 6));
    p.drawRoundedRect(QRectF(72, 2, 16, 12), 3, 3);
    // Bezel and face.
    p.setBrush(SteelDark);
    p.drawEllipse(QPointF(80, 52), 42, 42);
    p.setBrush(Paper);
    p.drawEllipse(QPointF(80, 52), 36, 36);
    p.setPen(QPen(Ink, 1));
    for (int i = 0; i < 50; ++i) {
        const double a = i * 2 * M_PI / 50;
        const double inner = i % 5 ? 32 : 28;
        p.drawLine(QPointF(80 + inner * std::sin(a), 52 - inner * std::cos(a)),
                   QPointF(80 + 35 * std::sin(a), 52 - 35 * std::cos(a)));
    }
    // Small revolution counter and the needle.
    p.drawEllipse(QPointF(80, 66), 7, 7);
    p.setPen(QPen(QColor(0xC0, 0x20, 0x20), 2.2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(80, 52), QPointF(104, 34));
    p.setPen(Qt::NoPen);
    p.setBrush(Ink);
    p.drawEllipse(QPointF(80, 52), 3.5, 3.5);
}

void drawMicrometer(QPainter& p) {
    p.setPen(QPen(Ink, 1.2));
    // The C-frame.
    QPainterPath frame;
    frame.moveTo(18, 34);
    frame.lineTo(18, 86);
    frame.cubicTo(18, 110, 80, 110, 80, 86);
    frame.lineTo(80, 66);
    frame.lineTo(66, 66);
    frame.lineTo(66, 84);
    frame.cubicTo(66, 96, 32, 96, 32, 84);
    frame.lineTo(32, 34);
    frame.closeSubpath();
    p.setBrush(QColor(0x3A, 0x6E, 0xB8));
    p.drawPath(frame);
    // Anvil, spindle, sleeve and thimble.
    p.setBrush(Steel);
    p.drawRect(QRectF(32, 50, 10, 10));
    p.drawRect(QRectF(54, 50, 26, 10));
    p.drawRect(QRectF(80, 46, 34, 18));
    p.setBrush(SteelDark);
    p.drawRoundedRect(QRectF(114, 42, 26, 26), 3, 3);
    p.drawRect(QRectF(140, 48, 12, 14));
    p.setPen(QPen(Ink, 0.8));
    for (int i = 0; i < 6; ++i) p.drawLine(QPointF(84 + i * 5, 46), QPointF(84 + i * 5, 52));
    for (int i = 0; i < 5; ++i) p.drawLine(QPointF(118 + i * 5, 42), QPointF(118 + i * 5, 68));
}

void drawDepthGauge(QPainter& p) {
    p.setPen(QPen(Ink, 1.2));
    // A wide base with a rod through it and a digital head.
    p.setBrush(Steel);
    p.drawRect(QRectF(20, 70, 120, 12));
    p.drawRect(QRectF(76, 82, 8, 32));
    p.drawRect(QRectF(76, 6, 8, 64));
    p.setBrush(QColor(0x3C, 0x44, 0x50));
    p.drawRoundedRect(QRectF(52, 28, 56, 36), 4, 4);
    p.setBrush(QColor(0xC8, 0xE6, 0xC0));
    p.drawRect(QRectF(58, 34, 44, 14));
    p.setBrush(Accent);
    p.drawEllipse(QRectF(64, 52, 8, 8));
    p.drawEllipse(QRectF(88, 52, 8, 8));
}

void drawSwitchCable(QPainter& p) {
    p.setPen(QPen(Ink, 1.2));
    // A foot switch with its cable running off to a plug.
    p.setPen(QPen(Ink, 3, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    QPainterPath cable;
    cable.moveTo(112, 80);
    cable.cubicTo(140, 80, 120, 30, 146, 24);
    p.drawPath(cable);
    p.setPen(QPen(Ink, 1.2));
    p.setBrush(SteelDark);
    p.drawRect(QRectF(140, 12, 14, 20));
    p.setBrush(QColor(0x40, 0x40, 0x48));
    QPainterPath housing;
    housing.moveTo(16, 104);
    housing.lineTo(116, 104);
    housing.lineTo(116, 74);
    housing.lineTo(26, 60);
    housing.lineTo(16, 74);
    housing.closeSubpath();
    p.drawPath(housing);
    p.setBrush(QColor(0xD0, 0x30, 0x28));
    QPainterPath pedal;
    pedal.moveTo(30, 66);
    pedal.lineTo(108, 78);
    pedal.lineTo(108, 58);
    pedal.lineTo(38, 42);
    pedal.closeSubpath();
    p.drawPath(pedal);
}

void drawPlaceholder(QPainter& p) {
    p.setPen(QPen(QColor(0x9A, 0xA0, 0xA8), 2, Qt::DashLine));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(10, 10, 140, 100), 8, 8);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xB0, 0xB6, 0xBE));
    // A plain gauge outline: a round dial on a stem.
    p.drawEllipse(QPointF(80, 54), 26, 26);
    p.drawRect(QRectF(76, 80, 8, 20));
    p.setBrush(Paper);
    p.drawEllipse(QPointF(80, 54), 20, 20);
}

void drawUsbPlug(QPainter& p, QSize size) {
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size.width() / 36.0, size.height() / 36.0);
    p.setPen(QPen(Ink, 1));
    p.setBrush(QColor(0x30, 0x34, 0x3A));
    p.drawRoundedRect(QRectF(10, 14, 16, 20), 2, 2);
    p.setBrush(Steel);
    p.drawRect(QRectF(11, 2, 14, 12));
    p.setBrush(Ink);
    p.drawRect(QRectF(14, 5, 3, 3));
    p.drawRect(QRectF(19, 5, 3, 3));
    // The trident mark.
    p.setPen(QPen(Paper, 1.2));
    p.drawLine(QPointF(18, 31), QPointF(18, 19));
    p.drawLine(QPointF(18, 26), QPointF(14, 23));
    p.drawLine(QPointF(18, 24), QPointF(22, 21));
}

void drawRs232Plug(QPainter& p, QSize size) {
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size.width() / 36.0, size.height() / 36.0);
    p.setPen(QPen(Ink, 1));
    p.setBrush(Steel);
    p.drawRoundedRect(QRectF(1, 8, 34, 20), 3, 3);
    QPainterPath shell;
    shell.moveTo(6, 11);
    shell.lineTo(30, 11);
    shell.lineTo(27, 25);
    shell.lineTo(9, 25);
    shell.closeSubpath();
    p.setBrush(QColor(0x30, 0x34, 0x3A));
    p.drawPath(shell);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xE8, 0xC0, 0x40));
    for (int i = 0; i < 5; ++i) p.drawEllipse(QPointF(10 + i * 4, 15), 1.2, 1.2);
    for (int i = 0; i < 4; ++i) p.drawEllipse(QPointF(12 + i * 4, 21), 1.2, 1.2);
}

// The timer button's glyph: a stopwatch, its hand running when the button is down.
void drawTimer(QPainter& p, QSize size, bool down) {
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size.width() / 28.0, size.height() / 28.0);
    p.setPen(QPen(Ink, 1.2));
    p.setBrush(Steel);
    p.drawRect(QRectF(12, 2, 4, 4));
    p.setBrush(down ? QColor(0xA8, 0xF0, 0xA0) : Paper);
    p.drawEllipse(QPointF(14, 16), 10, 10);
    p.setPen(QPen(down ? QColor(0x10, 0x70, 0x10) : Ink, 1.8, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(14, 16), down ? QPointF(20, 11) : QPointF(14, 8));
}

void drawProgramPicture(QPainter& p, QSize size) {
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size.width() / 220.0, size.height() / 100.0);
    p.fillRect(QRectF(0, 0, 220, 100), QColor(0xF0, 0xF0, 0xF0));
    // A cable from a caliper to a little spreadsheet.
    p.save();
    p.translate(4, 10);
    p.scale(0.55, 0.55);
    drawCaliper(p);
    p.restore();
    p.setPen(QPen(Accent, 3, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    QPainterPath cable;
    cable.moveTo(60, 40);
    cable.cubicTo(100, 10, 110, 80, 140, 50);
    p.drawPath(cable);
    p.setPen(QPen(Ink, 1));
    p.setBrush(Paper);
    p.drawRect(QRectF(140, 18, 70, 64));
    p.setPen(QPen(QColor(0x90, 0x98, 0xA0), 1));
    for (int row = 1; row < 6; ++row)
        p.drawLine(QPointF(140, 18 + row * 11), QPointF(210, 18 + row * 11));
    p.drawLine(QPointF(163, 18), QPointF(163, 82));
    p.drawLine(QPointF(186, 18), QPointF(186, 82));
    p.setBrush(QColor(0xA8, 0xF0, 0xA0));
    p.setPen(Qt::NoPen);
    p.drawRect(QRectF(164, 52, 22, 10));
}

void drawLogo(QPainter& p, QSize size) {
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size.width() / 196.0, size.height() / 100.0);
    p.fillRect(QRectF(0, 0, 196, 100), Qt::white);
    // Three rising bars in a ring: an abstract maker's mark.
    p.setPen(QPen(Accent, 5));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(98, 50), 40, 40);
    p.setPen(Qt::NoPen);
    p.setBrush(Accent);
    p.drawRect(QRectF(78, 52, 10, 20));
    p.drawRect(QRectF(93, 40, 10, 32));
    p.drawRect(QRectF(108, 28, 10, 44));
}

}  // namespace

QImage Draw(tArt art, QSize size) {
    const bool device = art <= tArt::Placeholder;
    QImage image = blank(size, device ? Paper : QColor(0xF0, 0xF0, 0xF0));
    QPainter p(&image);
    if (device) beginDevice(p, size);
    switch (art) {
        case tArt::Caliper:
            drawCaliper(p);
            break;
        case tArt::DialGauge:
            drawDialGauge(p);
            break;
        case tArt::Micrometer:
            drawMicrometer(p);
            break;
        case tArt::DepthGauge:
            drawDepthGauge(p);
            break;
        case tArt::SwitchCable:
            drawSwitchCable(p);
            break;
        case tArt::Placeholder:
            drawPlaceholder(p);
            break;
        case tArt::UsbPlug:
            drawUsbPlug(p, size);
            break;
        case tArt::Rs232Plug:
            drawRs232Plug(p, size);
            break;
        case tArt::TimerUp:
        case tArt::TimerDown:
            drawTimer(p, size, art == tArt::TimerDown);
            break;
        case tArt::ProgramPicture:
            drawProgramPicture(p, size);
            break;
        case tArt::Logo:
            drawLogo(p, size);
            break;
    }
    return image;
}

QImage DrawLed(const QColor& color) {
    QImage image = blank({16, 16}, QColor(0xF0, 0xF0, 0xF0));
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0x50, 0x50, 0x50), 1));
    p.setBrush(color);
    p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
    return image;
}

const std::vector<tDevicePictureFile>& DevicePictureFiles() {
    // Type 1 is the gauge on either connection, type 4 the USB dial gauge.
    static const std::vector<tDevicePictureFile> files = {
        {"Messschieber", "0111", tArt::Caliper},
        {"Messuhr", "0401_0111", tArt::DialGauge},
        {"Messschraube", "0111", tArt::Micrometer},
        {"Tiefenmass", "0111", tArt::DepthGauge},
    };
    return files;
}

}  // namespace tavrix::art
