// Shows the language dialog and a device row made of run-time copies, for a look at
// them on a real X server: shared_shots <program folder> <language> <seconds>.
#include <QApplication>
#include <QLabel>
#include <QTimer>
#include <filesystem>

#include "support/multi_lang.h"
#include "support/new_ini_file.h"
#include "support/prog_paths.h"
#include "tests/support/temp_folder.h"
#include "ui/DXLed.h"
#include "ui/DevicePictures.h"
#include "ui/Image.h"
#include "ui/MultiLang.h"
#include "ui/Panel.h"
#include "ui/RunTimeComps.h"
#include "ui/SpeedButton.h"

namespace {

QLabel* label(QWidget* parent, const char* text, int x, int y, int pixels, bool bold) {
    auto* l = new QLabel(text, parent);
    QFont font = l->font();
    font.setPixelSize(pixels);
    font.setBold(bold);
    l->setFont(font);
    l->move(x, y);
    l->adjustSize();
    return l;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) return 2;
    QApplication app(argc, argv);
    TempFolder folder;
    for (const char* language : {"Deutsch", "English", "Espanol", "Francais"}) {
        std::filesystem::copy_file(std::string(argv[1]) + "/" + language + ".LLNG",
                                   folder.file(std::string(language) + ".LLNG"));
    }
    tavrix::SetProgPathsFromExe(folder.file("LonvarStd"));
    TNewIniFile(ProgIniFile).WriteString("DEFAULT", "LANGUAGE", argv[2]);
    TMultiLang lang;
    MultiLang = &lang;

    TFrmMultiLang dialog(lang);
    dialog.move(40, 40);
    dialog.show();

    // The device row's template, as the main window lays it out, and one copy of it.
    QWidget form;
    form.setObjectName("FrmMainBig");
    form.setWindowTitle("Tavrix");
    form.setGeometry(40, 160, 760, 270);
    TPanel templ(&form);
    templ.hide();
    templ.setGeometry(0, 0, 729, 71);
    QFont bold = templ.font();
    bold.setPixelSize(13);
    bold.setBold(true);
    templ.setFont(bold);
    TDXLed led(&templ);
    led.setGeometry(8, 5, 16, 16);
    QLabel device("USB 1", &templ);
    device.setGeometry(9, 49, 60, 16);
    device.setFont(bold);
    TImage intf(&templ);
    intf.setGeometry(27, 6, 36, 36);
    intf.SetPicture(BuiltinPicture(tBuiltinPicture::UsbPlug));
    TPanel typePanel(&templ);
    typePanel.setGeometry(80, 3, 84, 64);
    typePanel.SetBevels(tBevel::Lowered, tBevel::Raised);
    TPanel mw(&templ);
    mw.setGeometry(352, 3, 121, 33);
    mw.SetBevels(tBevel::Lowered, tBevel::Raised, 2);
    mw.SetColor(ColorFromBgr(0x8EEEF0));
    QFont value = bold;
    value.setPixelSize(21);
    mw.setFont(value);
    mw.SetCaption("--.--");
    TSpeedButton timer(&templ);
    timer.setGeometry(488, 3, 33, 33);
    timer.GroupIndex = 1;
    timer.AllowAllUp = true;
    timer.NumGlyphs = 2;
    timer.SetGlyphs(BuiltinPicture(tBuiltinPicture::TimerUp),
                    BuiltinPicture(tBuiltinPicture::TimerDown));

    tDeviceDescrList usb;
    tDeviceDescrList rs232;
    tavrix::CreateBuiltInDescrs(usb, rs232);
    tDevicePictures pictures;
    pictures.Load(usb, rs232, std::string(argv[1]) + "/UDEVICES/");

    for (int row = 0; row < 2; ++row) {
        TPanel* copy = CopyPanel(&form, &templ);
        copy->move(4, 4 + row * 75);
        CopyLed(copy, &led)->SetValue(true);
        CopyLabel(copy, &device)->setText(row == 0 ? "USB 1" : "COM 1");
        TImage* plug = CopyImage(copy, &intf);
        if (row == 1) plug->SetPicture(BuiltinPicture(tBuiltinPicture::Rs232Plug));
        TPanel* type = CopyPanel(copy, &typePanel);
        auto* picture = new TImage(type);
        picture->setGeometry(2, 2, 80, 60);
        picture->SetPicture(
            pictures.Small(pictures.FindImageIndex(row == 0 ? "Messschieber" : "Messuhr")));
        TPanel* value = CopyPanel(copy, &mw);
        value->SetCaption(row == 0 ? "+12.345" : "--.--");
        TSpeedButton* button = CopySpeedButton(copy, &timer);
        button->SetDown(row == 0);
        label(copy, row == 0 ? "Messschieber 1" : "Messuhr", 170, 7, 13, true);
        label(copy, "~Timer", 528, 2, 13, true);
        label(copy, "00:00:05", 528, 18, 13, true);
    }
    // The pictures of the status and info windows.
    auto* program = new TImage(&form);
    program->setGeometry(4, 160, 220, 100);
    program->SetPicture(BuiltinPicture(tBuiltinPicture::ProgramPicture));
    auto* logo = new TImage(&form);
    logo->setGeometry(234, 160, 196, 100);
    logo->SetPicture(BuiltinPicture(tBuiltinPicture::Logo));
    TranslateForm(&form);
    form.show();

    QTimer::singleShot(std::stoi(argv[3]) * 1000, &app, &QApplication::quit);
    return app.exec();
}
