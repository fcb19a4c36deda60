// The spreadsheet and COM port dialogs, the info window, the dialog hooks of the
// main window, and the dialogs' texts in the language files.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <filesystem>

#include "dialogsTestSupport.h"
#include "engine/dataModule.h"
#include "port_folders.h"
#include "pty_pair.h"
#include "serial/serial_device.h"
#include "support/multi_lang.h"
#include "support/new_ini_file.h"
#include "tests/engine/engineTestDevices.h"
#include "ui/DialogCalls.h"
#include "ui/EditCom.h"
#include "ui/EditDevice.h"
#include "ui/EditExcel.h"
#include "ui/Image.h"
#include "ui/Info.h"
#include "ui/MultiLang.h"
#include "ui/Panel.h"

namespace {

using namespace tavrix::test;

class SmallDialogsTest : public ::testing::Test {
protected:
    std::string ProgIniText() const { return ReadFile(ProgIniFile); }

    TempProgDir prog;
    TD d;
    ScriptedDialogs dialogs;
};

// --- COM ports ---

TEST_F(SmallDialogsTest, TheComDialogStoresBothPortsOnOkOnly) {
    d.SaveProgIni();
    const std::string before = ProgIniText();
    WhenModal<TFrmEditCom>([](TFrmEditCom& f) {
        EXPECT_EQ(f.objectName(), "FrmEditConfig");
        EXPECT_TRUE(f.CBxCOM2->isHidden());
        EXPECT_TRUE(f.CBxCOM1->isChecked());
        EXPECT_TRUE(ModalDialogOpen());
        f.CBxCOM1->setChecked(false);
        f.Button1->click();
    });
    EditComPorts(nullptr);
    EXPECT_TRUE(d.ShowCom1);
    EXPECT_TRUE(d.ShowCom2);
    EXPECT_EQ(ProgIniText(), before);

    WhenModal<TFrmEditCom>([](TFrmEditCom& f) {
        f.CBxCOM1->setChecked(false);
        f.BtnOk->click();
    });
    EditComPorts(nullptr);
    EXPECT_FALSE(d.ShowCom1);
    EXPECT_FALSE(d.ShowCom2);
    tPgIniFile ini(ProgIniFile);
    EXPECT_FALSE(ini.ReadBool("DEFAULT", "ShowCom1", true));
    EXPECT_FALSE(ini.ReadBool("DEFAULT", "ShowCom2", true));
    EXPECT_FALSE(ModalDialogOpen());
}

TEST_F(SmallDialogsTest, TheComDialogStoresAPortByItsStableNameAndFindsItAgain) {
    const tavrix::testing::PortFolders folders(prog.dir());
    const std::string link = folders.byId + "/usb-Maker_RS232_Adapter_AB12-if00-port0";
    d.SystemPortLister = [&] { return serial_ports::ListSystemPorts(folders); };
    auto plug = [&](const tavrix::testing::PtyPair& pty) { folders.Link(link, pty.slavePath()); };

    auto first = std::make_unique<tavrix::testing::PtyPair>();
    plug(*first);
    WhenModal<TFrmEditCom>([](TFrmEditCom& f) {
        ASSERT_EQ(f.CbxCom1Device->count(), 2);
        EXPECT_TRUE(f.CbxCom1Device->itemText(0).contains("/dev/ttyS0"));
        EXPECT_TRUE(f.CbxCom1Device->itemText(1).contains("Maker RS232 Adapter AB12"));
        EXPECT_TRUE(f.CbxCom1Device->itemText(1).contains("usb-Maker_RS232_Adapter_AB12"));
        EXPECT_EQ(f.CbxCom2Device->currentIndex(), 0);
        f.CbxCom1Device->setCurrentIndex(1);
        f.BtnOk->click();
    });
    EditComPorts(nullptr);
    EXPECT_EQ(d.ComPortDevices[0], link);
    EXPECT_EQ(tPgIniFile(ProgIniFile).ReadString("COMPORTS", "COM1", ""), link);
    EXPECT_EQ(tPgIniFile(ProgIniFile).ReadString("COMPORTS", "COM2", "-"), "-");

    // Re-plugged under another number: the same choice, and COM1 reaches the new line.
    auto second = std::make_unique<tavrix::testing::PtyPair>();
    first.reset();
    plug(*second);
    WhenModal<TFrmEditCom>([&](TFrmEditCom& f) {
        EXPECT_EQ(f.CbxCom1Device->currentIndex(), 1);
        f.Button1->click();
    });
    EditComPorts(nullptr);
    auto line = tavrix::serial::openPort(1);
    ASSERT_NE(line, nullptr);
    line->configure({});
    second->send("7");
    std::uint8_t byte = 0;
    EXPECT_EQ(line->readByte(byte, 2000), tavrix::serial::ReadResult::Byte);
    EXPECT_EQ(byte, '7');
    line.reset();

    // Unplugged: shown as not attached and kept by OK.
    std::filesystem::remove(link);
    WhenModal<TFrmEditCom>([&](TFrmEditCom& f) {
        ASSERT_EQ(f.CbxCom1Device->count(), 2);
        EXPECT_EQ(f.CbxCom1Device->currentIndex(), 1);
        EXPECT_TRUE(f.CbxCom1Device->currentText().contains("nicht angeschlossen"));
        f.BtnOk->click();
    });
    EditComPorts(nullptr);
    EXPECT_EQ(d.ComPortDevices[0], link);
}

// --- global spreadsheet target ---

TEST_F(SmallDialogsTest, TheSpreadsheetDialogStoresOnOkOnly) {
    d.XlsGlobSlct = true;
    d.XlsGlobVorlageSlct = true;
    d.XlsGlobVorlage = "/tpl/G.xlt";
    d.XlsGlobFile = "/books/G.xls";
    const std::string vorlageDir = d.XlsZielVorlageDir;
    const std::string fileDir = d.XlsZielFileDir;

    dialogs.FileAnswers = {"/other/Book.ODS"};
    WhenModal<TFrmEditExcel>([](TFrmEditExcel& f) {
        EXPECT_TRUE(f.CBxXlsGlobSlct->isChecked());
        EXPECT_TRUE(f.EdtXlsGlobVorlage->isEnabled());
        EXPECT_FALSE(f.BtnXlsGlobFile->isEnabled());
        f.CBxXlsGlobSlct->setChecked(false);
        f.RBtXlsGlobFile->setChecked(true);
        EXPECT_FALSE(f.BtnXlsGlobVorlage->isEnabled());
        f.BtnXlsGlobFileClick();
        EXPECT_EQ(f.EdtXlsGlobFile->text(), "/other/Book.ODS");
        f.Button1->click();
    });
    EXPECT_FALSE(EditExcelGlobal(nullptr));
    EXPECT_TRUE(d.XlsGlobSlct);
    EXPECT_TRUE(d.XlsGlobVorlageSlct);
    EXPECT_EQ(d.XlsGlobFile, "/books/G.xls");
    ASSERT_EQ(dialogs.Requests.size(), 1u);
    EXPECT_EQ(dialogs.Requests[0].StartFolder, "/books/");
    EXPECT_TRUE(dialogs.Requests[0].Filter.contains("*.ODS"));

    dialogs.FileAnswers = {"/other/Book.ods"};
    WhenModal<TFrmEditExcel>([](TFrmEditExcel& f) {
        f.CBxXlsGlobSlct->setChecked(false);
        f.RBtXlsGlobFile->setChecked(true);
        f.BtnXlsGlobFileClick();
        f.BtnOk->click();
    });
    EXPECT_TRUE(EditExcelGlobal(nullptr));
    EXPECT_FALSE(d.XlsGlobSlct);
    EXPECT_FALSE(d.XlsGlobVorlageSlct);
    EXPECT_EQ(d.XlsGlobVorlage, "/tpl/G.xlt");
    EXPECT_EQ(d.XlsGlobFile, "/other/Book.ods");
    // This dialog leaves the start folders alone.
    EXPECT_EQ(d.XlsZielVorlageDir, vorlageDir);
    EXPECT_EQ(d.XlsZielFileDir, fileDir);
}

// --- info window ---

TEST_F(SmallDialogsTest, TheInfoWindowClosesItselfAfterTwoSeconds) {
    bool seen = false;
    WhenModal<tFrmInfo>(
        [&](tFrmInfo& f) {
            seen = true;
            EXPECT_EQ(f.LblName->text(), "Lonvar");
            EXPECT_EQ(f.LblProfLight->text(), "standard");
            EXPECT_TRUE(f.windowFlags() & Qt::FramelessWindowHint);
            EXPECT_TRUE(f.windowFlags() & Qt::WindowStaysOnTopHint);
            EXPECT_TRUE(f.ImgOskel->isHidden());
            EXPECT_FALSE(f.ImgUSB->isHidden());
            EXPECT_TRUE(ModalDialogOpen());
        },
        /*leaveOpen=*/true);
    QElapsedTimer clock;
    clock.start();
    ShowInfo(nullptr);  // returns only when the window has closed
    EXPECT_TRUE(seen);
    EXPECT_GE(clock.elapsed(), 1900);
    EXPECT_FALSE(ModalDialogOpen());
}

TEST_F(SmallDialogsTest, TheInfoWindowClosesOnAClickButNotOnTheEditionWord) {
    bool stayed = false;
    bool closed = false;
    WhenModal<tFrmInfo>(
        [&](tFrmInfo& f) {
            f.Timer1->stop();  // only the clicks count here
            QTest::mouseClick(f.LblProfLight, Qt::LeftButton);
            stayed = f.isVisible();
            QTest::mouseClick(f.Label6, Qt::LeftButton);
            closed = !f.isVisible();
            if (!closed) f.close();
        },
        /*leaveOpen=*/true);
    ShowInfo(nullptr);
    EXPECT_TRUE(stayed);
    EXPECT_TRUE(closed);
}

// --- hooks of the main window ---

TEST_F(SmallDialogsTest, TheMainWindowGetsEveryDialogAsOneCall) {
    const tMainBigDialogs calls = RealMainBigDialogs();
    EXPECT_TRUE(calls.EditDevice);
    EXPECT_TRUE(calls.EditExcelGlobal);
    EXPECT_TRUE(calls.EditComPorts);
    EXPECT_TRUE(calls.ShowInfo);
    EXPECT_TRUE(calls.ChooseLanguage);

    WhenModal<TFrmEditCom>([](TFrmEditCom& f) { f.BtnOk->click(); });
    calls.EditComPorts(nullptr);
    WhenModal<TFrmEditExcel>([](TFrmEditExcel& f) { f.BtnOk->click(); });
    EXPECT_TRUE(calls.EditExcelGlobal(nullptr));
    QElapsedTimer clock;
    clock.start();
    calls.ShowInfo(nullptr);
    EXPECT_GE(clock.elapsed(), 1500);  // the info window's own two seconds
}

// --- texts ---

// Every text a dialog shows, with the object it belongs to.
std::vector<std::pair<std::string, QString>> ShownTexts(QWidget* form) {
    std::vector<std::pair<std::string, QString>> texts{{"title", form->windowTitle()}};
    for (QWidget* w : form->findChildren<QWidget*>()) {
        const std::string name = w->objectName().toStdString();
        if (auto* b = qobject_cast<QAbstractButton*>(w)) texts.emplace_back(name, b->text());
        if (auto* l = qobject_cast<QLabel*>(w)) texts.emplace_back(name, l->text());
        if (auto* g = qobject_cast<QGroupBox*>(w)) texts.emplace_back(name, g->title());
        if (auto* p = qobject_cast<TPanel*>(w)) texts.emplace_back(name, p->Caption());
        if (auto* c = qobject_cast<QComboBox*>(w)) {
            for (int i = 0; i < c->count(); ++i) texts.emplace_back(name, c->itemText(i));
        }
    }
    return texts;
}

#ifdef TAVRIX_PROGRAM_DIR
TEST_F(SmallDialogsTest, EveryDialogTextIsTranslated) {
    for (const char* language : {"Deutsch", "English", "Espanol", "Francais"}) {
        SCOPED_TRACE(language);
        std::filesystem::copy_file(std::string(TAVRIX_PROGRAM_DIR) + "/" + language + ".LLNG",
                                   prog.path(std::string(language) + ".LLNG"),
                                   std::filesystem::copy_options::overwrite_existing);
        TMultiLang lang;
        lang.Language = language;
        MultiLang = &lang;
        AddUsbDevice(d, 0, "LU1", "Lumo");
        TFrmEditDevice device;
        device.SetDevice(*d.Devices[0]);
        TFrmEditExcel excel;
        TFrmEditCom com;
        tFrmInfo info;
        info.show();  // translated when shown
        for (QWidget* form : std::initializer_list<QWidget*>{&device, &excel, &com, &info}) {
            // A caption longer in this language than the key is not cut off.
            for (QLabel* label : form->findChildren<QLabel*>()) {
                if (qobject_cast<TImage*>(label) != nullptr || label->text().isEmpty()) continue;
                EXPECT_GE(label->width(), label->sizeHint().width())
                    << form->objectName().toStdString() << "." << label->objectName().toStdString();
            }
            for (const auto& [name, text] : ShownTexts(form)) {
                EXPECT_FALSE(text.startsWith('~')) << form->objectName().toStdString() << "."
                                                   << name << ": " << text.toStdString();
            }
        }
        EXPECT_FALSE(TranslateText("~Name bereits vergeben").startsWith('~'));
        EXPECT_FALSE(TranslateText("~nicht angeschlossen").startsWith('~'));
        info.close();
        MultiLang = nullptr;
        d.ResetDevices();
    }
}
#endif

}  // namespace
