// Lamps, speed buttons, run-time copies, key codes and the dialog seam.
#include <gtest/gtest.h>

#include <QFont>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include "ui/DXLed.h"
#include "ui/DevicePictures.h"
#include "ui/Image.h"
#include "ui/KeyCodes.h"
#include "ui/Panel.h"
#include "ui/RunTimeComps.h"
#include "ui/SpeedButton.h"
#include "ui/UserDialogs.h"
#include "ui_test_app.h"

namespace {

QRgb ShownPixel(QWidget& widget) {
    return widget.grab().toImage().pixel(widget.width() / 2, widget.height() / 2);
}

TEST(Colours, StatesAndOldFormNumbers) {
    EXPECT_EQ(StateColor(0), QColor(0xC0, 0xC0, 0xC0));
    EXPECT_EQ(StateColor(1), QColor(Qt::yellow));
    EXPECT_EQ(StateColor(2), QColor(Qt::green));
    EXPECT_EQ(StateColor(3), QColor(Qt::red));
    EXPECT_EQ(StateColor(4), QColor(Qt::white));
    EXPECT_EQ(StateColor(5), StateColor(0));
    EXPECT_EQ(StateColor(-1), StateColor(0));
    EXPECT_EQ(ColorFromBgr(0x8EEEF0), QColor(0xF0, 0xEE, 0x8E));
    EXPECT_EQ(ColorFromBgr(0xF0F0F0), QColor(0xF0, 0xF0, 0xF0));
    EXPECT_EQ(ColorFromBgr(0xFF0000), QColor(0, 0, 0xFF));
}

TEST(DXLed, ShowsItsColoursAndRepaintsAtOnce) {
    TDXLed led;
    EXPECT_EQ(led.size(), QSize(16, 16));
    EXPECT_EQ(ShownPixel(led), QColor(0xC0, 0xC0, 0xC0).rgb());
    led.SetValue(true);
    EXPECT_EQ(ShownPixel(led), QColor(Qt::red).rgb());
    led.show();
    led.SetColorActive(StateColor(2));
    EXPECT_EQ(led.ShownColor(), StateColor(2));
    EXPECT_EQ(ShownPixel(led), StateColor(2).rgb());
    led.SetValue(false);
    led.SetColorActive(StateColor(1));
    EXPECT_EQ(led.ShownColor(), QColor(0xC0, 0xC0, 0xC0));
}

TEST(DXLed, FlashesOnlyWhileOn) {
    TDXLed led;
    led.SetFlashInterval(10);
    led.SetFlashing(true);
    ASSERT_FALSE(WaitUntil([&] { return led.ShownColor() != led.ColorInactive(); },
                           std::chrono::milliseconds(100)));
    led.SetValue(true);
    EXPECT_TRUE(WaitUntil([&] { return led.ShownColor() == led.ColorInactive(); }));
    EXPECT_TRUE(WaitUntil([&] { return led.ShownColor() == led.ColorActive(); }));
    led.SetFlashing(false);
    EXPECT_EQ(led.ShownColor(), led.ColorActive());
}

TEST(SpeedButton, GroupAndAllowAllUp) {
    QWidget form;
    TSpeedButton plain(&form);
    plain.click();
    EXPECT_FALSE(plain.Down());  // springs back without a group

    TSpeedButton a(&form);
    TSpeedButton b(&form);
    a.GroupIndex = b.GroupIndex = 1;
    a.click();
    EXPECT_TRUE(a.Down());
    a.click();
    EXPECT_TRUE(a.Down());  // stays down without AllowAllUp
    b.click();
    EXPECT_TRUE(b.Down());
    EXPECT_FALSE(a.Down());  // one down per group
    b.AllowAllUp = true;
    b.click();
    EXPECT_FALSE(b.Down());
}

TEST(SpeedButton, ShowsTheGlyphOfItsState) {
    TSpeedButton timer;
    timer.NumGlyphs = 2;
    timer.GroupIndex = 1;
    timer.AllowAllUp = true;
    timer.SetGlyphs(BuiltinPicture(tBuiltinPicture::TimerUp),
                    BuiltinPicture(tBuiltinPicture::TimerDown));
    const auto shown = [&] { return timer.icon().pixmap(timer.iconSize()).toImage(); };
    EXPECT_EQ(shown(), BuiltinPicture(tBuiltinPicture::TimerUp).toImage());
    timer.SetDown(true);
    EXPECT_EQ(shown(), BuiltinPicture(tBuiltinPicture::TimerDown).toImage());
    timer.click();
    EXPECT_EQ(shown(), BuiltinPicture(tBuiltinPicture::TimerUp).toImage());
}

// The template panel of a device row, with one control of each copied kind.
struct tTemplate {
    QWidget Form;
    TPanel* Row = new TPanel(&Form);
    QLabel* Label = new QLabel("~Wert", Row);
    TSpeedButton* Button = new TSpeedButton(Row);
    TDXLed* Led = new TDXLed(Row);
    TImage* Image = new TImage(Row);

    tTemplate() {
        Row->setGeometry(0, 0, 630, 136);
        Row->SetCaption("Row");
        Row->SetColor(ColorFromBgr(0x8EEEF0));
        Row->SetBevels(tBevel::Raised, tBevel::Lowered, 2);
        Row->CaptionAlignment = Qt::AlignLeft;
        QFont bold = Row->font();
        bold.setBold(true);
        bold.setPixelSize(21);
        Row->setFont(bold);
        SetTag(Row, 7);
        Label->setGeometry(10, 20, 120, 16);
        Label->setAlignment(Qt::AlignRight);
        SetTag(Label, 3);
        Button->setGeometry(488, 3, 33, 33);
        Button->GroupIndex = 1;
        Button->AllowAllUp = true;
        Button->NumGlyphs = 2;
        Button->SetGlyphs(BuiltinPicture(tBuiltinPicture::TimerUp),
                          BuiltinPicture(tBuiltinPicture::TimerDown));
        Led->setGeometry(4, 4, 16, 16);
        Led->ParentColor = true;
        Led->SetColorActive(Qt::green);
        Led->SetValue(true);
        Image->setGeometry(12, 40, 36, 36);
        Image->SetPicture(BuiltinPicture(tBuiltinPicture::UsbPlug));
        Image->SetStretch(true);
    }
};

TEST(RunTimeComps, CopiesTakeWhatIsListedAndNoMore) {
    tTemplate t;
    QWidget owner;
    TPanel* row = CopyPanel(&owner, t.Row);
    EXPECT_EQ(row->parent(), &owner);
    EXPECT_FALSE(row->isHidden());
    EXPECT_EQ(Tag(row), 7);
    EXPECT_EQ(row->geometry(), t.Row->geometry());
    EXPECT_EQ(row->Caption(), "Row");
    EXPECT_EQ(row->Color(), t.Row->Color());
    EXPECT_EQ(row->BevelInner(), tBevel::Raised);
    EXPECT_EQ(row->BevelOuter(), tBevel::Lowered);
    EXPECT_EQ(row->BevelWidth(), 2);
    EXPECT_EQ(row->font(), t.Row->font());
    EXPECT_EQ(row->CaptionAlignment, Qt::AlignCenter);

    QLabel* label = CopyLabel(row, t.Label);
    EXPECT_EQ(label->text(), "~Wert");
    EXPECT_EQ(Tag(label), 3);
    EXPECT_EQ(label->geometry(), QRect(10, 20, 120, 16));
    EXPECT_NE(label->alignment(), Qt::AlignRight);

    TSpeedButton* button = CopySpeedButton(row, t.Button);
    EXPECT_EQ(button->geometry(), QRect(488, 3, 33, 33));
    EXPECT_EQ(button->GroupIndex, 1);
    EXPECT_TRUE(button->AllowAllUp);
    EXPECT_EQ(button->NumGlyphs, 2);
    EXPECT_EQ(button->GlyphDown().toImage(), t.Button->GlyphDown().toImage());

    TDXLed* led = CopyLed(row, t.Led);
    EXPECT_TRUE(led->ParentColor);
    EXPECT_FALSE(led->Value());  // colours and value stay the lamp's own
    EXPECT_EQ(led->ColorActive(), QColor(Qt::red));

    TImage* image = CopyImage(row, t.Image);
    EXPECT_EQ(image->geometry(), QRect(12, 40, 36, 36));
    EXPECT_EQ(image->Picture().toImage(), t.Image->Picture().toImage());
    EXPECT_FALSE(image->Stretch());
}

TEST(RunTimeComps, CopiesDoNotFollowTheTemplate) {
    tTemplate t;
    QWidget owner;
    QLabel* label = CopyLabel(&owner, t.Label);
    TPanel* row = CopyPanel(&owner, t.Row);
    t.Label->setText("changed");
    t.Row->SetCaption("changed");
    t.Row->move(50, 50);
    EXPECT_EQ(label->text(), "~Wert");
    EXPECT_EQ(row->Caption(), "Row");
    EXPECT_EQ(row->pos(), QPoint(0, 0));
    // Nor does the template learn from its copies.
    row->SetCaption("copy");
    EXPECT_EQ(t.Row->Caption(), "changed");
    EXPECT_EQ(t.Row->parent(), &t.Form);
}

TEST(KeyCodes, QtKeysToVirtualKeys) {
    const std::pair<int, int> keys[] = {
        {Qt::Key_Return, 13}, {Qt::Key_Enter, 13},  {Qt::Key_Up, 38},   {Qt::Key_Down, 40},
        {Qt::Key_F1, 112},    {Qt::Key_F2, 113},    {Qt::Key_F12, 123}, {Qt::Key_A, 65},
        {Qt::Key_5, 53},      {Qt::Key_Escape, 27}, {Qt::Key_Shift, 0}, {Qt::Key_unknown, 0},
    };
    for (const auto& [qt, vk] : keys) EXPECT_EQ(VirtualKeyFromQt(qt), vk) << qt;
}

class tAnsweringDialogs : public tUserDialogs {
public:
    void ShowMessage(QWidget*, const QString& text) override { Messages << text; }
    bool Confirm(QWidget*, const QString&) override { return true; }
    QString ChooseFile(QWidget*, const tFileDialogRequest& request) override {
        return request.FileName;
    }
    QStringList Messages;
};

TEST(UserDialogs, TestsAnswerInsteadOfABox) {
    tAnsweringDialogs answers;
    SetUserDialogs(&answers);
    UserDialogs().ShowMessage(nullptr, "~Hallo");
    EXPECT_TRUE(UserDialogs().Confirm(nullptr, "?"));
    tFileDialogRequest request;
    request.FileName = "a.txt";
    EXPECT_EQ(UserDialogs().ChooseFile(nullptr, request), "a.txt");
    EXPECT_EQ(answers.Messages, QStringList{"~Hallo"});
    SetUserDialogs(nullptr);
    EXPECT_NE(&UserDialogs(), &answers);
}

TEST(UserDialogs, RealBoxesCountAsModalWhileOpen) {
    EXPECT_FALSE(ModalDialogOpen());
    bool seenOpen = false;
    QTimer::singleShot(0, [&] {
        seenOpen = ModalDialogOpen();
        if (QWidget* box = QApplication::activeModalWidget()) {
            for (auto* button : box->findChildren<QPushButton*>()) {
                if (button->text().contains("Nein") || button->text().contains("No"))
                    button->click();
            }
        }
    });
    EXPECT_FALSE(UserDialogs().Confirm(nullptr, "Frage?"));
    EXPECT_TRUE(seenOpen);
    EXPECT_FALSE(ModalDialogOpen());
}

}  // namespace
