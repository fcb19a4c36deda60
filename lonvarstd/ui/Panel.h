#pragma once
// A panel with a centred caption and an inner and an outer bevel, as the forms use
// for values, headers and the device rows.

#include <QColor>
#include <QFrame>
#include <QString>

enum class tBevel { None, Lowered, Raised };

class TPanel : public QFrame {
    Q_OBJECT
public:
    explicit TPanel(QWidget* parent = nullptr);

    QString Caption() const { return caption_; }
    void SetCaption(const QString& caption);
    QColor Color() const { return color_; }
    void SetColor(const QColor& color);
    tBevel BevelInner() const { return bevelInner_; }
    tBevel BevelOuter() const { return bevelOuter_; }
    int BevelWidth() const { return bevelWidth_; }
    void SetBevels(tBevel inner, tBevel outer, int width = 1);
    Qt::Alignment CaptionAlignment = Qt::AlignCenter;

signals:
    void Click();
    void DblClick();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    QString caption_;
    QColor color_{0xF0, 0xF0, 0xF0};
    tBevel bevelInner_ = tBevel::None;
    tBevel bevelOuter_ = tBevel::Raised;
    int bevelWidth_ = 1;
};
