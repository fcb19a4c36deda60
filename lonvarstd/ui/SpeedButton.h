#pragma once
// A flat button that can stay down, with one glyph for up and one for down (the
// timer button of a device row).

#include <QIcon>
#include <QPixmap>
#include <QToolButton>

class TSpeedButton : public QToolButton {
    Q_OBJECT
public:
    explicit TSpeedButton(QWidget* parent = nullptr);

    // Glyphs for the up and the down state; NumGlyphs says how many are in use.
    void SetGlyphs(const QPixmap& up, const QPixmap& down);
    QPixmap GlyphUp() const { return up_; }
    QPixmap GlyphDown() const { return down_; }
    int NumGlyphs = 1;
    // A button with a group index stays down when clicked; AllowAllUp lets a second
    // click raise it again.
    int GroupIndex = 0;
    bool AllowAllUp = false;
    bool Down() const { return isChecked(); }
    // Sets the state without a click.
    void SetDown(bool down);

signals:
    void DblClick();

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void nextCheckState() override;

private:
    void UpdateGlyph();
    QPixmap up_;
    QPixmap down_;
};
