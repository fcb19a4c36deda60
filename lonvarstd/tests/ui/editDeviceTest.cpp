// The device settings dialog on records made by the engine: loading and storing for
// each layout, Cancel, the range rules, the name check, the global target, the
// switch binding, the start folders and the description choice.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include "dialogsTestSupport.h"
#include "engine/dataModule.h"
#include "support/locale_separators.h"
#include "support/new_ini_file.h"
#include "tests/engine/engineTestDevices.h"
#include "ui/EditDevice.h"
#include "ui/Image.h"
#include "ui/Panel.h"

namespace {

using namespace tavrix::test;

// Every key away from its default, so that a field the dialog drops or changes shows.
const char* const kConfig =
    "[DEFAULT]\r\nXlsGlobSlct=0\r\nXlsGlobVorlageSlct=1\r\nXlsGlobVorlage=/glob/G.xlt\r\n"
    "XlsGlobFile=/glob/G.xls\r\n"
    "[Lumo LU1]\r\nDeviceName=Left caliper\r\nDeviceType=Caliper\r\nAnforderType=2\r\n"
    "AnforderTasteKeyb=F7\r\nAnforderSerNrTVI=SW1\r\nAnforderTicksTimer=10500\r\n"
    "AnforderCycle=1\r\nAnforderCycleIdx=3\r\nMwZielAppl=2\r\nMwTxtZielFile=/data/left.txt\r\n"
    "MwXlsZielVorlageSlct=0\r\nMwXlsZielVorlage=/tpl/Left.ots\r\nMwXlsZielFile=/books/Left.ods\r\n"
    "MwXlsZielTable=Messung\r\nMwXlsZielCol=4\r\nMwXlsZielStartRow=5\r\n"
    "[TV-I SW1]\r\nDeviceName=Foot switch\r\nSchalterCycleCount=4\r\nSchalterCycleIdx=2\r\n"
    "MwZielAppl=0\r\n"
    "[COM_1]\r\nDeviceDescription=Lumo\r\nDeviceName=Bench gauge at the left "
    "window\r\nDeviceType=Messuhr\r\n"
    "AnforderType=3\r\nAnforderTasteKeyb=F12\r\nAnforderTicksTimer=3725000\r\nMwZielAppl=1\r\n"
    "MwXlsZielVorlageSlct=1\r\nMwXlsZielTable=Tabelle9\r\nMwXlsZielCol=2\r\n"
    "MwXlsZielStartRow=3\r\n";

enum { UsbGauge = 0, UsbSwitch = 1, ComGauge = 2 };

void Choose(QComboBox* combo, int index) {
    combo->setCurrentIndex(index);
    emit combo->activated(index);
}

class EditDeviceTest : public ::testing::Test {
protected:
    EditDeviceTest() {
        WriteDevicePictures(prog);
        AddUsbDevice(d, 0, "LU1", "Lumo");
        AddUsbDevice(d, 1, "SW1", "TV-I");
        AddRs232Device(d, 1);
        WriteFile(d.TvcFileName, kConfig);
        d.LoadConfig(false);
        d.SaveConfig(false);
    }
    ~EditDeviceTest() override { d.ResetDevices(); }

    tDevice& Dev(int i) { return *d.Devices[static_cast<std::size_t>(i)]; }
    std::string ConfigText() {
        d.SaveConfig(false);
        return ReadFile(d.TvcFileName);
    }

    // Opens the dialog for device `i`, runs `act` in it, then presses OK or Cancel.
    tEditDeviceResult Run(int i, const std::function<void(TFrmEditDevice&)>& act, bool ok = true) {
        TFrmEditDevice form;
        QTimer::singleShot(0, &form, [&] {
            EXPECT_TRUE(ModalDialogOpen());
            act(form);
            if (form.isVisible()) (ok ? form.BtnOk : form.Button1)->click();
        });
        const tEditDeviceResult result = form.Execute(Dev(i));
        EXPECT_FALSE(ModalDialogOpen());
        return result;
    }

    TempProgDir prog;
    TD d;
    ScriptedDialogs dialogs;
};

// --- loading and storing ---

TEST_F(EditDeviceTest, OkWithoutChangesKeepsEveryFieldInEachLayout) {
    struct Layout {
        int device;
        bool gaugePanel, switchPanel, typeList, descrList, serNr;
        const char* port;
    };
    const Layout layouts[] = {
        {UsbGauge, true, false, true, false, true, "USB1"},
        {UsbSwitch, false, true, false, false, true, "USB2"},
        {ComGauge, true, false, true, true, false, "COM1"},
    };
    Dev(UsbGauge).XlsRow = 9;
    Dev(ComGauge).XlsRow = 7;
    const std::string before = ConfigText();
    for (const Layout& l : layouts) {
        SCOPED_TRACE(l.port);
        const tEditDeviceResult result = Run(l.device, [&](TFrmEditDevice& f) {
            EXPECT_EQ(!f.PnlMessgeraet->isHidden(), l.gaugePanel);
            EXPECT_EQ(!f.PnlSchalter->isHidden(), l.switchPanel);
            EXPECT_EQ(!f.CBxDeviceType->isHidden(), l.typeList);
            EXPECT_EQ(f.LblDeviceType->isHidden(), l.typeList);
            EXPECT_EQ(!f.CBxDeviceDescription->isHidden(), l.descrList);
            EXPECT_EQ(f.LblDeviceDescription->isHidden(), l.descrList);
            EXPECT_EQ(!f.LblSerNr->isHidden(), l.serNr);
            EXPECT_EQ(f.LblDevice->text(), l.port);
            EXPECT_EQ(f.EdtdeviceName->text().toStdString(), Dev(l.device).DeviceName);
        });
        EXPECT_TRUE(result.Ok);
        EXPECT_EQ(result.NewRs232DescrIdx, -1);
    }
    EXPECT_EQ(ConfigText(), before);
    EXPECT_EQ(Dev(UsbGauge).XlsRow, 9);
    EXPECT_EQ(Dev(ComGauge).XlsRow, 7);
    EXPECT_EQ(Dev(UsbGauge).AnforderTicksTimer, 10500);  // not cut to whole seconds
    EXPECT_EQ(Dev(ComGauge).DeviceType, "Messuhr");      // no picture here, still kept
}

TEST_F(EditDeviceTest, LoadingShowsTheStoredSettings) {
    Run(UsbGauge, [](TFrmEditDevice& f) {
        EXPECT_EQ(f.LblSerNr->text(), "LU1");
        EXPECT_EQ(f.LblDeviceDescription->text(), "Lumo");
        ASSERT_EQ(f.CBxDeviceType->count(), 2);  // placeholder and the type-1 picture
        EXPECT_EQ(f.CBxDeviceType->currentText(), "Caliper");
        EXPECT_EQ(f.ImgDeviceType->Picture().toImage().pixelColor(80, 60), QColor(Qt::darkBlue));
        EXPECT_EQ(f.CBxAnforderType->currentIndex(), AnforderSwitch);
        EXPECT_FALSE(f.CBxAnforderTasteTVI->isHidden());
        EXPECT_FALSE(f.PnlAnforderCycle->isHidden());
        EXPECT_TRUE(f.CBxAnforderTasteKeyb->isHidden());
        EXPECT_EQ(f.CBxAnforderTasteTVI->currentText(), "Foot switch");
        EXPECT_TRUE(f.RBtAnforderCycleNumber->isChecked());
        EXPECT_EQ(f.EdtAnforderCycleIdx->text(), "3");
        EXPECT_EQ(f.CBxZielAppl->currentIndex(), MwZielTxt);
        EXPECT_FALSE(f.GBxTxt->isHidden());
        EXPECT_TRUE(f.GBxExcel->isHidden());
        EXPECT_TRUE(f.RBtXlsZielFile->isChecked());
        EXPECT_FALSE(f.EdtXlsZielVorlage->isEnabled());
        EXPECT_TRUE(f.EdtXlsZielFile->isEnabled());
    });
    Run(ComGauge, [](TFrmEditDevice& f) {
        EXPECT_EQ(f.CBxDeviceDescription->currentText(), "Lumo");
        EXPECT_EQ(f.CBxDeviceType->currentIndex(), 0);  // "Messuhr" has no picture here
        EXPECT_FALSE(f.EdtAnforderTimer->isHidden());
        EXPECT_EQ(f.EdtAnforderTimer->text(), "01:02:05");
    });
    Run(UsbSwitch, [](TFrmEditDevice& f) {
        EXPECT_EQ(f.EdtSchalterCycleCount->text(), "4");
        EXPECT_EQ(f.EdtSchalterCycleIdx->text(), "0");  // a cycle starts anew at every load
    });
}

TEST_F(EditDeviceTest, OkStoresWhatTheUserChanged) {
    Run(UsbGauge, [](TFrmEditDevice& f) {
        f.EdtdeviceName->clear();
        QTest::keyClicks(f.EdtdeviceName, "Right caliper at bench 3");  // 20 fit
        Choose(f.CBxDeviceType, 0);
        Choose(f.CBxAnforderType, AnforderTimer);
        EXPECT_FALSE(f.EdtAnforderTimer->isHidden());
        f.EdtAnforderTimer->setText("01:02:03");
        f.CBxAnforderTasteKeyb->setCurrentIndex(4);
        f.RBtAnforderCycleEvery->setChecked(true);
        f.EdtAnforderCycleIdx->setText("");
        Choose(f.CBxZielAppl, MwZielXls);
        EXPECT_FALSE(f.GBxExcel->isHidden());
        f.RBtXlsZielVorlage->setChecked(true);
        EXPECT_TRUE(f.BtnXlsZielVorlage->isEnabled());
        EXPECT_FALSE(f.BtnXlsZielFile->isEnabled());
        f.EdtTxtZielFile->setText("/data/right.txt");
    });
    const tDevice& dev = Dev(UsbGauge);
    EXPECT_EQ(dev.DeviceName, "Right caliper at ben");
    EXPECT_EQ(dev.DeviceType, " ...");
    EXPECT_EQ(dev.AnforderType, AnforderTimer);
    EXPECT_EQ(dev.AnforderTicksTimer, 3723000);
    EXPECT_EQ(dev.AnforderTasteKeyb, "F5");
    EXPECT_FALSE(dev.AnforderCycle);
    EXPECT_EQ(dev.AnforderCycleIdx, 1);  // empty counts 1
    EXPECT_EQ(dev.MwZielAppl, MwZielXls);
    EXPECT_TRUE(dev.MwXlsZielVorlageSlct);
    EXPECT_EQ(dev.MwTxtZielFile, "/data/right.txt");
}

// The dialog shows and stores the period the worker will keep: never below a second.
TEST_F(EditDeviceTest, ATimerTooShortShowsAndStoresThePeriodThatWillRun) {
    struct tCase {
        const char* typed;
        const char* shown;
        std::int32_t stored;
    };
    for (const tCase c :
         {tCase{"00:00:00", "00:00:01", 1000}, tCase{"00:00:07", "00:00:07", 7000}}) {
        SCOPED_TRACE(c.typed);
        Run(UsbGauge, [&](TFrmEditDevice& f) {
            Choose(f.CBxAnforderType, AnforderTimer);
            f.EdtAnforderTimer->setText(c.typed);
            emit f.EdtAnforderTimer->editingFinished();
            EXPECT_EQ(f.EdtAnforderTimer->text(), c.shown);
        });
        EXPECT_EQ(Dev(UsbGauge).AnforderTicksTimer, c.stored);
        EXPECT_EQ(Dev(UsbGauge).TimerPeriodMs(), c.stored);
    }
    // A period of 0 from a settings file shows, and is stored as, what runs.
    Dev(UsbGauge).AnforderType = AnforderTimer;
    Dev(UsbGauge).AnforderTicksTimer = 0;
    Run(UsbGauge, [](TFrmEditDevice& f) { EXPECT_EQ(f.EdtAnforderTimer->text(), "00:00:01"); });
    EXPECT_EQ(Dev(UsbGauge).AnforderTicksTimer, 1000);
}

TEST_F(EditDeviceTest, TheTimerUsesTheLocaleTimeSeparator) {
    tavrix::SetLocaleSeparators(',', '.');
    Run(ComGauge, [](TFrmEditDevice& f) {
        EXPECT_EQ(f.EdtAnforderTimer->text(), "01.02.05");
        f.EdtAnforderTimer->setText("00.10.00");
    });
    tavrix::SetLocaleSeparators('.', ':');
    EXPECT_EQ(Dev(ComGauge).AnforderTicksTimer, 600000);
}

TEST_F(EditDeviceTest, CancelLeavesRecordAndFilesAsTheyWere) {
    const std::string config = ConfigText();
    const std::string vorlageDir = d.XlsZielVorlageDir;
    dialogs.FileAnswers = {"/elsewhere/T.ots", "/elsewhere/B.ods", "/elsewhere/t.txt"};
    const tEditDeviceResult result = Run(
        ComGauge,
        [](TFrmEditDevice& f) {
            f.EdtdeviceName->setText("Changed");
            Choose(f.CBxDeviceDescription, 0);
            Choose(f.CBxAnforderType, AnforderKey);
            f.EdtXlsZielCol->setText("12");
            f.BtnXlsZielVorlageClick();
            f.BtnXlsZielFileClick();
            f.BtnTxtZielFileClick();
        },
        /*ok=*/false);
    EXPECT_FALSE(result.Ok);
    EXPECT_EQ(result.NewRs232DescrIdx, -1);
    EXPECT_EQ(ConfigText(), config);
    EXPECT_EQ(d.XlsZielVorlageDir, vorlageDir);
    EXPECT_EQ(Dev(ComGauge).DescrIdx, 1);
}

// --- range rules and numbers ---

TEST_F(EditDeviceTest, ChangingTheCycleCountResetsTheCurrentStep) {
    struct Case {
        const char *count, *idx;
        int wantCount, wantIdx;
    };
    for (const Case& c :
         {Case{"6", "3", 6, 0}, Case{"4", "3", 4, 3}, Case{"4", "", 4, 1}, Case{"", "5", 1, 0}}) {
        SCOPED_TRACE(std::string(c.count) + "/" + c.idx);
        Dev(UsbSwitch).SchalterCycleCount = 4;
        Run(UsbSwitch, [&](TFrmEditDevice& f) {
            f.EdtSchalterCycleCount->setText(c.count);
            f.EdtSchalterCycleIdx->setText(c.idx);
        });
        EXPECT_EQ(Dev(UsbSwitch).SchalterCycleCount, c.wantCount);
        EXPECT_EQ(Dev(UsbSwitch).SchalterCycleIdx, c.wantIdx);
    }
}

TEST_F(EditDeviceTest, ChangingWorkbookSheetOrColumnRestartsTheCurrentRow) {
    struct Case {
        const char* what;
        std::function<void(TFrmEditDevice&)> change;
        int wantRow;
    };
    const Case cases[] = {
        {"nothing", [](TFrmEditDevice&) {}, 9},
        {"workbook", [](TFrmEditDevice& f) { f.EdtXlsZielFile->setText("/books/Other.ods"); }, 5},
        {"sheet", [](TFrmEditDevice& f) { f.EdtXlsZieltable->setText("Other"); }, 5},
        {"column", [](TFrmEditDevice& f) { f.EdtXlsZielCol->setText("7"); }, 5},
        {"row below start", [](TFrmEditDevice& f) { f.EdtXlsZielActRow->setText("2"); }, 5},
        {"start above row", [](TFrmEditDevice& f) { f.EdtXlsZielStartRow->setText("11"); }, 11},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        tDevice& dev = Dev(UsbGauge);
        dev.MwXlsZielFile = "/books/Left.ods";
        dev.MwXlsZielTable = "Messung";
        dev.MwXlsZielCol = 4;
        dev.MwXlsZielStartRow = 5;
        dev.XlsRow = 9;
        Run(UsbGauge, c.change);
        EXPECT_EQ(dev.XlsRow, c.wantRow);
    }
}

TEST_F(EditDeviceTest, EnterOnOkStoresColumnAndRowsFromOne) {
    Dev(UsbGauge).MwZielAppl = MwZielXls;
    const tEditDeviceResult result = Run(UsbGauge, [](TFrmEditDevice& f) {
        f.EdtXlsZielStartRow->setText("0");
        f.EdtXlsZielActRow->setText("0");
        f.EdtXlsZielCol->setText("0");
        f.EdtXlsZielCol->setFocus();
        // Enter in the edit presses the default button without leaving the edit.
        QTest::keyClick(f.EdtXlsZielCol, Qt::Key_Return);
    });
    EXPECT_TRUE(result.Ok);
    EXPECT_EQ(Dev(UsbGauge).MwXlsZielCol, 1);
    EXPECT_EQ(Dev(UsbGauge).MwXlsZielStartRow, 1);
    EXPECT_EQ(Dev(UsbGauge).XlsRow, 1);
}

TEST_F(EditDeviceTest, NumberEditsTakeOnlyDigitsTypedOrPasted) {
    Run(UsbGauge, [](TFrmEditDevice& f) {
        for (QLineEdit* edit :
             {f.EdtXlsZielCol, f.EdtXlsZielStartRow, f.EdtXlsZielActRow, f.EdtAnforderCycleIdx}) {
            SCOPED_TRACE(edit->objectName().toStdString());
            edit->clear();
            QTest::keyClicks(edit, "1a-2 3");
            EXPECT_EQ(edit->text(), "123");
            edit->clear();
            QApplication::clipboard()->setText("-45x");
            edit->paste();
            EXPECT_EQ(edit->text(), "");
            QApplication::clipboard()->setText("99999999999999");
            edit->paste();
            EXPECT_TRUE(edit->text().size() <= 9) << edit->text().toStdString();
        }
    });
}

TEST_F(EditDeviceTest, LeavingAColumnOrRowEditRaisesZeroToOne) {
    Run(UsbGauge, [](TFrmEditDevice& f) {
        for (QLineEdit* edit : {f.EdtXlsZielCol, f.EdtXlsZielStartRow, f.EdtXlsZielActRow}) {
            edit->setText("0");
            f.EdtXlsNumExit(edit);
            EXPECT_EQ(edit->text(), "1");
        }
    });
}

TEST_F(EditDeviceTest, IndicesOutsideTheirListsShowTheFirstEntry) {
    Dev(UsbGauge).AnforderType = 7;
    Dev(UsbGauge).MwZielAppl = 9;
    Run(UsbGauge, [](TFrmEditDevice& f) {
        EXPECT_EQ(f.CBxAnforderType->currentIndex(), 0);
        EXPECT_EQ(f.CBxZielAppl->currentIndex(), 0);
        EXPECT_TRUE(f.GBxExcel->isHidden());
        EXPECT_TRUE(f.GBxTxt->isHidden());
    });
    EXPECT_EQ(Dev(UsbGauge).AnforderType, AnforderNone);
    EXPECT_EQ(Dev(UsbGauge).MwZielAppl, MwZielNone);
}

// --- name check ---

TEST_F(EditDeviceTest, ADuplicateNameWarnsOncePerOtherDeviceAndIsKept) {
    Dev(UsbSwitch).DeviceName = "Twin";
    Dev(ComGauge).DeviceName = "  Twin ";  // compared trimmed
    const tEditDeviceResult result = Run(UsbGauge, [&](TFrmEditDevice& f) {
        f.EdtdeviceName->setText("Twin");
        f.EdtdeviceNameExit();
        EXPECT_EQ(dialogs.Messages.size(), 2u);
        EXPECT_TRUE(f.isVisible());
    });
    EXPECT_TRUE(result.Ok);
    // The same name is not checked again on OK.
    ASSERT_EQ(dialogs.Messages.size(), 2u);
    EXPECT_EQ(dialogs.Messages[0].toStdString(), "~Name bereits vergeben");
    EXPECT_EQ(Dev(UsbGauge).DeviceName, "Twin");

    // Typed and confirmed at once: the check runs on OK.
    dialogs.Messages.clear();
    Run(ComGauge, [](TFrmEditDevice& f) { f.EdtdeviceName->setText("Twin"); });
    EXPECT_EQ(dialogs.Messages.size(), 2u);  // the USB gauge and the switch
    EXPECT_EQ(Dev(ComGauge).DeviceName, "Twin");
}

// --- spreadsheet target ---

TEST_F(EditDeviceTest, TheGlobalTargetLocksTheFileControlsAndBlinks) {
    d.XlsGlobSlct = true;
    d.XlsGlobVorlageSlct = false;
    Dev(UsbGauge).MwZielAppl = MwZielXls;
    const std::string ownVorlage = Dev(UsbGauge).MwXlsZielVorlage;
    const std::string ownFile = Dev(UsbGauge).MwXlsZielFile;
    Run(UsbGauge, [](TFrmEditDevice& f) {
        for (QWidget* w : std::initializer_list<QWidget*>{f.RBtXlsZielVorlage, f.EdtXlsZielVorlage,
                                                          f.BtnXlsZielVorlage, f.RBtXlsZielFile,
                                                          f.EdtXlsZielFile, f.BtnXlsZielFile}) {
            EXPECT_FALSE(w->isEnabled()) << w->objectName().toStdString();
        }
        EXPECT_EQ(f.EdtXlsZielVorlage->text(), "/glob/G.xlt");
        EXPECT_EQ(f.EdtXlsZielFile->text(), "/glob/G.xls");
        EXPECT_TRUE(f.RBtXlsZielFile->isChecked());
        // Clicking a radio button does not unlock anything.
        f.RBtXlsZielVorlage->setChecked(true);
        EXPECT_FALSE(f.EdtXlsZielVorlage->isEnabled());
        // "global" blinks: it goes and comes back.
        const bool first = f.PnlXlsGlobal->isHidden();
        EXPECT_TRUE(::WaitUntil([&] { return f.PnlXlsGlobal->isHidden() != first; }));
        EXPECT_TRUE(::WaitUntil([&] { return f.PnlXlsGlobal->isHidden() == first; }));
    });
    EXPECT_EQ(Dev(UsbGauge).MwXlsZielVorlage, ownVorlage);
    EXPECT_EQ(Dev(UsbGauge).MwXlsZielFile, ownFile);
    EXPECT_FALSE(Dev(UsbGauge).MwXlsZielVorlageSlct);
}

TEST_F(EditDeviceTest, OwnTargetDoesNotBlink) {
    Run(UsbGauge, [](TFrmEditDevice& f) {
        EXPECT_TRUE(f.PnlXlsGlobal->isHidden());
        f.TmrBlinkTimer();
        EXPECT_TRUE(f.PnlXlsGlobal->isHidden());
    });
}

// --- switch binding ---

TEST_F(EditDeviceTest, TheSwitchBindingSurvivesAnAbsentSwitchCable) {
    Dev(UsbGauge).AnforderSerNrTVI = "SW-GONE";
    Run(UsbGauge, [](TFrmEditDevice& f) {
        ASSERT_EQ(f.CBxAnforderTasteTVI->count(), 2);
        EXPECT_EQ(f.CBxAnforderTasteTVI->itemText(0), "Foot switch");
        EXPECT_TRUE(f.CBxAnforderTasteTVI->currentText().startsWith("SW-GONE ("));
        EXPECT_EQ(f.SwitchIds(), (std::vector<std::string>{"SW1", "SW-GONE"}));
        f.EdtdeviceName->setText("Edited");
    });
    EXPECT_EQ(Dev(UsbGauge).AnforderSerNrTVI, "SW-GONE");

    // Choosing the present cable binds to it.
    Run(UsbGauge, [](TFrmEditDevice& f) { f.CBxAnforderTasteTVI->setCurrentIndex(0); });
    EXPECT_EQ(Dev(UsbGauge).AnforderSerNrTVI, "SW1");
}

// --- file dialogs and start folders ---

TEST_F(EditDeviceTest, StartFoldersFollowOnlyFilesChosenHere) {
    Dev(UsbGauge).MwZielAppl = MwZielXls;
    const std::string vorlageDir = d.XlsZielVorlageDir;
    const std::string fileDir = d.XlsZielFileDir;
    const std::string txtDir = d.TxtZielFileDir;
    Run(UsbGauge, [](TFrmEditDevice& f) { f.EdtXlsZieltable->setText("Other"); });
    EXPECT_EQ(d.XlsZielVorlageDir, vorlageDir);
    EXPECT_EQ(d.XlsZielFileDir, fileDir);
    EXPECT_EQ(d.TxtZielFileDir, txtDir);

    // A cancelled question changes nothing; a chosen file moves its folder only.
    dialogs.FileAnswers = {"", "/chosen/books/B.XLSX"};
    Run(UsbGauge, [](TFrmEditDevice& f) {
        f.RBtXlsZielVorlage->setChecked(true);
        f.BtnXlsZielVorlageClick();
        f.RBtXlsZielFile->setChecked(true);
        f.BtnXlsZielFileClick();
        EXPECT_EQ(f.EdtXlsZielFile->text(), "/chosen/books/B.XLSX");
    });
    EXPECT_EQ(d.XlsZielVorlageDir, vorlageDir);
    EXPECT_EQ(d.XlsZielFileDir, "/chosen/books/");
    EXPECT_EQ(d.TxtZielFileDir, txtDir);
    EXPECT_EQ(Dev(UsbGauge).MwXlsZielFile, "/chosen/books/B.XLSX");
    tPgIniFile ini(ProgIniFile);
    EXPECT_EQ(ini.ReadString("DEFAULT", "XlsZielFileDir", ""), "/chosen/books/");

    ASSERT_EQ(dialogs.Requests.size(), 2u);
    const tFileDialogRequest& vorlage = dialogs.Requests[0];
    EXPECT_FALSE(vorlage.Save);
    EXPECT_EQ(vorlage.StartFolder, "/tpl/");  // the folder of the device's template
    EXPECT_EQ(vorlage.FileName, "Default.xlt");
    for (const char* pattern : {"*.ots", "*.OTS", "*.xltx", "*.XLTX", "*.xlt", "*.XLT"}) {
        EXPECT_TRUE(vorlage.Filter.contains(pattern)) << pattern;
    }
    const tFileDialogRequest& book = dialogs.Requests[1];
    EXPECT_TRUE(book.Save);
    EXPECT_EQ(book.FileName, "Noname.xls");
    for (const char* pattern : {"*.ods", "*.ODS", "*.xlsx", "*.XLSX", "*.xls", "*.XLS"}) {
        EXPECT_TRUE(book.Filter.contains(pattern)) << pattern;
    }

    dialogs.Requests.clear();
    dialogs.FileAnswers = {"/chosen/text/values.TXT"};
    Run(UsbGauge, [](TFrmEditDevice& f) { f.BtnTxtZielFileClick(); });
    ASSERT_EQ(dialogs.Requests.size(), 1u);
    EXPECT_EQ(dialogs.Requests[0].StartFolder, "/data/");  // from the text file's own name
    EXPECT_EQ(dialogs.Requests[0].FileName, "left.txt");
    EXPECT_TRUE(dialogs.Requests[0].Filter.contains("*.TXT"));
    EXPECT_EQ(d.TxtZielFileDir, "/chosen/text/");
    EXPECT_EQ(Dev(UsbGauge).MwTxtZielFile, "/chosen/text/values.TXT");
    EXPECT_EQ(d.XlsZielFileDir, "/chosen/books/");
}

// --- description of a COM port device ---

TEST_F(EditDeviceTest, ADescriptionChoiceIsReportedAndLeftToTheCaller) {
    const tDeviceDescr* before = Dev(ComGauge).Descr;
    tEditDeviceResult result = Run(ComGauge, [](TFrmEditDevice& f) {
        Choose(f.CBxDeviceDescription, 0);  // the undefined type: neither panel
        EXPECT_TRUE(f.PnlMessgeraet->isHidden());
        EXPECT_TRUE(f.PnlSchalter->isHidden());
        Choose(f.CBxDeviceDescription, 1);
        EXPECT_FALSE(f.PnlMessgeraet->isHidden());
        EXPECT_TRUE(f.CBxAnforderType->isEnabled());
        Choose(f.CBxDeviceDescription, 0);
        Choose(f.CBxDeviceType, 0);
    });
    EXPECT_EQ(result.NewRs232DescrIdx, 0);
    EXPECT_EQ(Dev(ComGauge).DescrIdx, 1);  // applied by the caller, with the worker stopped
    EXPECT_EQ(Dev(ComGauge).Descr, before);
    EXPECT_EQ(Dev(ComGauge).DescrText, "Lumo");

    // Back to the type it has: nothing to report.
    result = Run(ComGauge, [](TFrmEditDevice& f) {
        Choose(f.CBxDeviceDescription, 0);
        Choose(f.CBxDeviceDescription, 1);
    });
    EXPECT_EQ(result.NewRs232DescrIdx, -1);
}

TEST_F(EditDeviceTest, TheTypeListFollowsTheDescription) {
    AddUsbDevice(d, 2, "GV1", "40GVw");  // type 4: only the USB picture "Dial"
    Run(3, [](TFrmEditDevice& f) {
        ASSERT_EQ(f.CBxDeviceType->count(), 2);
        EXPECT_EQ(f.CBxDeviceType->itemText(1), "Dial");
        EXPECT_EQ(f.CBxDeviceType->currentIndex(), 0);
        Choose(f.CBxDeviceType, 1);
        EXPECT_EQ(f.ImgDeviceType->Picture().toImage().pixelColor(80, 60), QColor(Qt::darkGreen));
    });
    EXPECT_EQ(Dev(3).DeviceType, "Dial");
}

// The call shows the pictures it is given (the main window's): a picture added to the
// folder during the run is no type to choose while the panels could not show it.
TEST_F(EditDeviceTest, TheCallOpensTheDialogOverItsParentWithThePicturesItIsGiven) {
    tDevicePictures shown;
    shown.Load(d.UsbDescrs, d.Rs232Descrs);
    for (const auto& [name, size] : {std::pair{"Later_G_0111.bmp", QSize(160, 120)},
                                     std::pair{"Later_K.bmp", QSize(80, 60)}}) {
        QImage image(size, QImage::Format_RGB32);
        image.fill(Qt::red);
        image.save(QString::fromStdString(prog.path(std::string("UDEVICES/") + name)), "BMP");
    }
    QWidget parent;
    WhenModal<TFrmEditDevice>([](TFrmEditDevice& f) {
        EXPECT_EQ(f.windowTitle(), "~Messgeräte parametrieren");
        EXPECT_GE(f.CBxDeviceType->findText("Caliper"), 0);
        EXPECT_EQ(f.CBxDeviceType->findText("Later"), -1);
        f.EdtdeviceName->setText("Via call");
        f.BtnOk->click();
    });
    const tEditDeviceResult result = EditDevice(&parent, Dev(UsbGauge), shown);
    EXPECT_TRUE(result.Ok);
    EXPECT_EQ(Dev(UsbGauge).DeviceName, "Via call");
}

}  // namespace
