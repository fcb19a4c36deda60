// Translating whole forms, the language dialog and the engine's captions, against real
// language files in a temporary program folder.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTimer>
#include <filesystem>

#include "engine/dataModule.h"
#include "support/multi_lang.h"
#include "support/new_ini_file.h"
#include "support/prog_paths.h"
#include "tests/support/temp_folder.h"
#include "ui/Image.h"
#include "ui/MultiLang.h"
#include "ui/Panel.h"
#include "ui/SpeedButton.h"
#include "ui_test_app.h"

namespace {

// One control of each class the translation knows, and a dialog of its own.
struct tTestForm {
    QWidget Form;
    QPushButton* Button = new QPushButton("~&Start", &Form);
    TSpeedButton* Speed = new TSpeedButton(&Form);
    QRadioButton* Radio = new QRadioButton("~&Links", &Form);
    QCheckBox* Check = new QCheckBox("~&Aktiv", &Form);
    QLabel* Label = new QLabel("~&Datei", &Form);
    QLabel* Suffixed = new QLabel("~Wert#: ", &Form);
    QLabel* Plain = new QLabel("12.5 mm", &Form);
    QLabel* Big = new QLabel("~Gross", &Form);
    QLabel* Tall = new QLabel("~Hoch", &Form);
    QLineEdit* Edit = new QLineEdit("~Datei", &Form);
    TPanel* Panel = new TPanel(&Form);
    QMenuBar* Menu = new QMenuBar(&Form);
    QMenu* FileMenu = Menu->addMenu("~&Datei");
    QAction* Quit = FileMenu->addAction("~&Beenden");
    QComboBox* Combo = new QComboBox(&Form);
    QGroupBox* Group = new QGroupBox("~&Gruppe", &Form);
    QTabWidget* Tabs = new QTabWidget(&Form);
    TImage* Image = new TImage(&Form);
    QSpinBox* Spin = new QSpinBox(&Form);
    QDialog* Child = new QDialog(&Form);
    QLabel* ChildLabel = new QLabel("~&Datei", Child);

    tTestForm() {
        Form.setObjectName("FrmTest");
        Form.setWindowTitle("~&Fenster");
        Button->setToolTip("~Hinweis");
        Speed->setText("~&Schnell");
        Edit->setToolTip("~Hinweis");
        Panel->SetCaption("~&Datei");
        Combo->addItems({"~&Datei", "~Wert"});
        Combo->setToolTip("~Hinweis");
        Tabs->addTab(new QWidget, "~&Datei");
        Tabs->setTabToolTip(0, "~Hinweis");
        Image->setToolTip("~Hinweis");
        Spin->setToolTip("~Hinweis");
        Child->setObjectName("FrmChild");
    }
};

class TranslateFormTest : public ::testing::Test {
protected:
    void SetUp() override {
        tavrix::SetProgPathsFromExe(dir_.file("LonvarStd"));
        std::filesystem::create_directories(dir_.file("fixed"));
        tavrix::SetFixedSearchFolder(dir_.file("fixed/"));
        const std::string frmTest =
            "~&Fenster=&Window\r\n~&Start=&Go\r\n~Hinweis=Hint &here\r\n~&Schnell=&Fast\r\n"
            "~&Links=&Left\r\n~&Aktiv=&Active\r\n~&Datei=&File\r\n~Wert=Value\r\n"
            "~Gross=High\r\n~Hoch=High\r\n~&Beenden=E&xit\r\n~&Gruppe=&Group\r\n";
        writeBytes(dir_.file("English.LLNG"), "[FrmTest]\r\n" + frmTest + "[_]\r\n~Taste=Key\r\n");
        writeBytes(dir_.file("Deutsch.LLNG"),
                   "[FrmTest]\r\n~&Fenster=&Fenster\r\n~&Datei=&Datei\r\n~Wert=Wert\r\n"
                   "~Gross=Groß\r\n~Hoch=Hoch\r\n[FrmOther]\r\n~Sprache=Sprache\r\n");
        std::filesystem::create_directories(dir_.file("LNG"));
        writeBytes(dir_.file("LNG/Francais.LLNG"), "[FrmTest]\r\n~&Datei=&Fichier\r\n");
        lang_ = std::make_unique<TMultiLang>();
        lang_->Language = "English";
    }
    void TearDown() override {
        lang_.reset();
        tavrix::SetFixedSearchFolder("/D6/_/");
    }

    TempFolder dir_;
    std::unique_ptr<TMultiLang> lang_;
};

TEST_F(TranslateFormTest, EachClassGetsItsTextsWithItsAmpersandRule) {
    tTestForm f;
    TranslateForm(*lang_, &f.Form);
    EXPECT_EQ(f.Form.windowTitle(), "Window");
    EXPECT_EQ(f.Button->text(), "&Go");  // buttons keep the accelerator
    EXPECT_EQ(f.Button->toolTip(), "Hint here");
    EXPECT_EQ(f.Speed->text(), "Fast");
    EXPECT_EQ(f.Radio->text(), "Left");
    EXPECT_EQ(f.Check->text(), "&Active");
    EXPECT_EQ(f.Label->text(), "File");
    EXPECT_EQ(f.Suffixed->text(), "Value: ");
    EXPECT_EQ(f.Plain->text(), "12.5 mm");
    EXPECT_EQ(f.Edit->text(), "~Datei");  // an edit's text is the user's
    EXPECT_EQ(f.Edit->toolTip(), "Hint here");
    EXPECT_EQ(f.Panel->Caption(), "File");
    EXPECT_EQ(f.FileMenu->title(), "&File");
    EXPECT_EQ(f.Quit->text(), "E&xit");
    EXPECT_EQ(f.Combo->itemText(0), "&File");
    EXPECT_EQ(f.Combo->itemText(1), "Value");
    EXPECT_EQ(f.Combo->toolTip(), "Hint here");
    EXPECT_EQ(f.Group->title(), "&Group");
    EXPECT_EQ(f.Tabs->tabText(0), "File");
    EXPECT_EQ(f.Tabs->tabToolTip(0), "Hint here");
    EXPECT_EQ(f.Image->toolTip(), "Hint here");
    EXPECT_EQ(f.Spin->toolTip(), "Hint here");
    // A dialog inside the form is a form of its own, with its own section.
    EXPECT_EQ(f.ChildLabel->text(), "~&Datei");
}

TEST_F(TranslateFormTest, LanguageChangesFindEachControlsOwnKey) {
    tTestForm f;
    TranslateForm(*lang_, &f.Form);
    ASSERT_EQ(f.Big->text(), "High");
    ASSERT_EQ(f.Tall->text(), "High");
    lang_->Language = "Deutsch";
    TranslateForm(*lang_, &f.Form);
    // Two keys that read alike in English stay apart.
    EXPECT_EQ(f.Big->text(), QString::fromUtf8("Groß"));
    EXPECT_EQ(f.Tall->text(), "Hoch");
    EXPECT_EQ(f.Suffixed->text(), "Wert: ");
    EXPECT_EQ(f.Form.windowTitle(), "Fenster");
    EXPECT_EQ(f.Speed->text(), "~&Schnell");  // no German entry: the key shows
    lang_->Language = "Francais";
    TranslateForm(*lang_, &f.Form);
    EXPECT_EQ(f.Label->text(), "Fichier");
    EXPECT_EQ(f.FileMenu->title(), "&Fichier");
    // The scratch file is still written for others who read it, though it can hold
    // only one of the two keys for "High".
    EXPECT_NE(readBytes(lang_->LangScratchFile).find("High=~"), std::string::npos);
}

TEST_F(TranslateFormTest, TextSetByTheProgramAfterwardsIsTranslatedFromItself) {
    tTestForm f;
    TranslateForm(*lang_, &f.Form);
    f.Label->setText("~Wert");
    TranslateForm(*lang_, &f.Form);
    EXPECT_EQ(f.Label->text(), "Value");
    f.Label->setText("3.25");
    TranslateForm(*lang_, &f.Form);
    EXPECT_EQ(f.Label->text(), "3.25");
}

TEST_F(TranslateFormTest, NothingChangesWithoutLanguageFile) {
    tTestForm f;
    lang_->Language = "Italiano";
    TranslateForm(*lang_, &f.Form);
    EXPECT_EQ(f.Label->text(), "~&Datei");
    EXPECT_EQ(f.Form.windowTitle(), "~&Fenster");
    EXPECT_FALSE(fileExists(lang_->LangScratchFile));
}

TEST_F(TranslateFormTest, DialogListsTheProgramFolderAndTranslatesEveryWindow) {
    tTestForm f;
    QWidget other;
    other.setObjectName("FrmOther");
    other.setWindowTitle("~Sprache");
    TFrmMultiLang dialog(*lang_);
    EXPECT_EQ(dialog.objectName(), "MultiLang");
    ASSERT_EQ(dialog.CBx->count(), 2);  // Francais lies only in LNG/
    EXPECT_EQ(dialog.CBx->itemText(0), "Deutsch");
    EXPECT_EQ(dialog.CBx->itemText(1), "English");
    // The language in force comes from the program INI file: Deutsch when none is set.
    dialog.show();
    EXPECT_EQ(dialog.CBx->currentText(), "Deutsch");
    dialog.CBx->setCurrentIndex(0);
    dialog.BtnOk->click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(TNewIniFile(ProgIniFile).ReadString("DEFAULT", "LANGUAGE", ""), "Deutsch");
    EXPECT_EQ(other.windowTitle(), "Sprache");
    EXPECT_EQ(f.Form.windowTitle(), "Fenster");
}

TEST_F(TranslateFormTest, DialogButtonsFitTheirTexts) {
    writeBytes(dir_.file("English.LLNG"),
               "[MultiLang]\r\n~Sprache=Language\r\n~Abbrechen=Cancel the choice of language\r\n");
    TNewIniFile(ProgIniFile).WriteString("DEFAULT", "LANGUAGE", "English");
    TFrmMultiLang dialog(*lang_);
    EXPECT_EQ(dialog.windowTitle(), "Language");
    const QRect cancel = dialog.FileCancel->geometry();
    EXPECT_GE(cancel.width(),
              dialog.FileCancel->fontMetrics().horizontalAdvance("Cancel the choice of language"));
    EXPECT_LT(cancel.right(), dialog.width());
    EXPECT_FALSE(cancel.intersects(dialog.BtnOk->geometry()));
    EXPECT_FALSE(dialog.BtnOk->geometry().intersects(dialog.CBx->geometry()));
}

TEST_F(TranslateFormTest, CancelChangesNothing) {
    TFrmMultiLang dialog(*lang_);
    dialog.show();
    dialog.CBx->setCurrentIndex(1);
    dialog.FileCancel->click();
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_EQ(TNewIniFile(ProgIniFile).ReadString("DEFAULT", "LANGUAGE", "none"), "none");
}

TEST_F(TranslateFormTest, ChooseLanguageUsesTheProgramsTranslator) {
    EXPECT_FALSE(ChooseLanguage(nullptr));  // no translator yet
    MultiLang = lang_.get();
    QTimer::singleShot(0, [] {
        auto* dialog = qobject_cast<TFrmMultiLang*>(QApplication::activeModalWidget());
        if (dialog) dialog->BtnOk->click();
    });
    EXPECT_TRUE(ChooseLanguage(nullptr));
    EXPECT_EQ(TranslateText("~Taste"), "~Taste");  // Deutsch has no such entry
    MultiLang = nullptr;
}

TEST_F(TranslateFormTest, EngineCaptionsComeFromSectionUnderscore) {
    TD d;
    LoadLangTexts(*lang_, d);
    EXPECT_EQ(d.Captions.AnforderTypeNames[1], "Key");
    EXPECT_EQ(d.Captions.AnforderTypeNames[0], "-");
    EXPECT_EQ(d.Captions.ExcelCaption, "~Excel");  // no entry: the key shows
    LoadLangTexts(d);                              // no program translator: keys
    EXPECT_EQ(d.Captions.AnforderTypeNames[1], "~Taste");
}

}  // namespace
