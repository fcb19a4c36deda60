#include "about_box.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

#include "twips.h"

namespace {

// A small drawing of a dial gauge; the box's two decorative pictures.
QPixmap GaugePicture(int size, QColor face) {
    QPixmap picture(size, size);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF dial(4, 4, size - 8, size - 8);
    painter.setPen(QPen(QColor(60, 60, 60), 3));
    painter.setBrush(face);
    painter.drawEllipse(dial);
    painter.setPen(QPen(QColor(60, 60, 60), 1));
    for (int i = 0; i < 20; ++i) {
        painter.save();
        painter.translate(dial.center());
        painter.rotate(i * 18.0);
        painter.drawLine(QPointF(0, -dial.height() / 2 + 3), QPointF(0, -dial.height() / 2 + 9));
        painter.restore();
    }
    painter.setPen(QPen(QColor(200, 30, 30), 2));
    painter.drawLine(dial.center(), dial.center() + QPointF(size * 0.25, -size * 0.2));
    return picture;
}

}  // namespace

TAboutBox::TAboutBox(bool asSplash, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("about"));
    setWindowTitle(asSplash ? QString() : QStringLiteral("About Vantro"));
    if (asSplash) setWindowFlags(Qt::SplashScreen | Qt::FramelessWindowHint);

    auto* left = new QLabel(this);
    left->setPixmap(GaugePicture(72, QColor(250, 250, 235)));
    auto* right = new QLabel(this);
    right->setPixmap(GaugePicture(72, QColor(225, 235, 250)));
    Label1 = new QLabel(QStringLiteral("Vantro For Sylvac Measuring Tools"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    QFont font = Label1->font();
    font.setPointSize(font.pointSize() + 4);
    font.setBold(true);
    Label1->setFont(font);
    Label1->setAlignment(Qt::AlignCenter);

    auto* row = new QHBoxLayout;
    row->addWidget(left);
    row->addWidget(Label1, 1);
    row->addWidget(right);
    auto* layout = new QVBoxLayout(this);
    layout->addStretch();
    layout->addLayout(row);
    layout->addStretch();
    if (!asSplash) {
        OkButton = new QPushButton(QStringLiteral("OK"), this);
        OkButton->setObjectName(QStringLiteral("OkButton"));
        OkButton->setDefault(true);
        connect(OkButton, &QPushButton::clicked, this, &QDialog::accept);
        layout->addWidget(OkButton, 0, Qt::AlignHCenter);
        setFixedSize(TwipsToPixels(6600), TwipsToPixels(5600));
    } else {
        setFixedSize(TwipsToPixels(6600), TwipsToPixels(4950));
    }
}
