// Shows one of the dialogs for a look at it on a real X server:
// dialogs_shots <program folder> <language> <what> <seconds>, where <what> is one of
// usb, switch, com, global (the device dialog's layouts), excel, comports, info.
#include <QApplication>
#include <QLabel>
#include <QTimer>
#include <filesystem>
#include <fstream>
#include <string>

#include "engine/dataModule.h"
#include "support/locale_separators.h"
#include "support/multi_lang.h"
#include "support/new_ini_file.h"
#include "support/prog_paths.h"
#include "tests/engine/engineTestDevices.h"
#include "tests/support/temp_folder.h"
#include "ui/EditCom.h"
#include "ui/EditDevice.h"
#include "ui/EditExcel.h"
#include "ui/Image.h"
#include "ui/Info.h"
#include "ui/MultiLang.h"
#include "ui/Panel.h"

namespace {

const char* const kConfig =
    "[DEFAULT]\r\nXlsGlobSlct=0\r\nXlsGlobVorlage=/home/user/Vorlagen/Messprotokoll.ots\r\n"
    "XlsGlobFile=/home/user/Messungen/Alle.ods\r\n"
    "[Lumo LU1]\r\nDeviceName=Messschieber links\r\nDeviceType=Messschieber\r\nAnforderType=2\r\n"
    "AnforderSerNrTVI=SW-ALT\r\nAnforderCycle=1\r\nAnforderCycleIdx=2\r\nMwZielAppl=1\r\n"
    "MwXlsZielVorlageSlct=0\r\nMwXlsZielFile=/home/user/Messungen/Links.ods\r\n"
    "MwXlsZielTable=Tabelle1\r\nMwXlsZielCol=3\r\nMwXlsZielStartRow=2\r\n"
    "[TV-I SW1]\r\nDeviceName=Fussschalter\r\nSchalterCycleCount=3\r\n"
    "[COM_1]\r\nDeviceDescription=Lumo\r\nDeviceName=Messuhr Tisch\r\nDeviceType=Messuhr\r\n"
    "AnforderType=3\r\nAnforderTicksTimer=3723000\r\nMwZielAppl=2\r\n"
    "MwTxtZielFile=/home/user/Messungen/Messuhr.txt\r\n";

}  // namespace

int main(int argc, char** argv) {
    if (argc != 5) return 2;
    QApplication app(argc, argv);
    TempFolder folder;
    const std::string programDir = argv[1];
    for (const char* language : {"Deutsch", "English", "Espanol", "Francais"}) {
        std::filesystem::copy_file(programDir + "/" + language + ".LLNG",
                                   folder.file(std::string(language) + ".LLNG"));
    }
    std::filesystem::copy(programDir + "/UDEVICES", folder.file("UDEVICES"));
    tavrix::SetProgPathsFromExe(folder.file("LonvarStd"));
    tavrix::SetLocaleSeparators('.', ':');
    TNewIniFile(ProgIniFile).WriteString("DEFAULT", "LANGUAGE", argv[2]);
    TMultiLang lang;
    MultiLang = &lang;

    TD d;
    tavrix::test::AddUsbDevice(d, 0, "LU1", "Lumo");
    tavrix::test::AddUsbDevice(d, 1, "SW1", "TV-I");
    tavrix::test::AddRs232Device(d, 1);
    std::ofstream(d.TvcFileName, std::ios::binary) << kConfig;
    d.LoadConfig(false);
    d.LoadLangTexts([](const std::string& key) { return TranslateText(key).toStdString(); });

    const std::string what = argv[3];
    std::unique_ptr<QWidget> shown;
    if (what == "excel") {
        auto form = std::make_unique<TFrmEditExcel>();
        form->Load(d);
        shown = std::move(form);
    } else if (what == "comports") {
        auto form = std::make_unique<TFrmEditCom>();
        form->Load(d);
        shown = std::move(form);
    } else if (what == "info") {
        auto form = std::make_unique<tFrmInfo>();
        form->LblName->setText("Lonvar");
        form->PnlMain->SetColor(Qt::white);
        form->ImgOskel->hide();
        form->LblProfLight->setText("standard");
        shown = std::move(form);
    } else {
        const int index = what == "switch" ? 1 : what == "com" ? 2 : 0;
        d.XlsGlobSlct = what == "global";
        auto form = std::make_unique<TFrmEditDevice>();
        form->SetDevice(*d.Devices[static_cast<std::size_t>(index)]);
        shown = std::move(form);
    }
    shown->show();
    if (what != "info") shown->move(40, 40);
    QTimer::singleShot(std::stoi(argv[4]) * 1000, &app, &QApplication::quit);
    const int rc = app.exec();
    shown.reset();
    d.ResetDevices();
    MultiLang = nullptr;
    return rc;
}
