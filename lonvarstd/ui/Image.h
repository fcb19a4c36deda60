#pragma once
// A picture control: shows a pixmap, optionally stretched; clicks are reported.

#include <QLabel>
#include <QPixmap>

class TImage : public QLabel {
    Q_OBJECT
public:
    explicit TImage(QWidget* parent = nullptr);

    QPixmap Picture() const { return picture_; }
    void SetPicture(const QPixmap& picture);
    bool Stretch() const { return stretch_; }
    void SetStretch(bool stretch);

signals:
    void Click();
    void DblClick();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    void UpdateShown();
    QPixmap picture_;
    bool stretch_ = false;
};
