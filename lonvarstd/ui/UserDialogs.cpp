#include "ui/UserDialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

#include "ui/MultiLang.h"

namespace {

int openModalDialogs = 0;

QString boxTitle() {
    return QApplication::applicationDisplayName();
}

// Qt's own boxes and file dialog, with their button texts in the language in force.
class tQtUserDialogs : public tUserDialogs {
public:
    void ShowMessage(QWidget* parent, const QString& text) override {
        QMessageBox box(QMessageBox::NoIcon, boxTitle(), text, QMessageBox::Ok, parent);
        box.button(QMessageBox::Ok)->setText("OK");
        tModalDialogGuard guard;
        box.exec();
    }

    bool Confirm(QWidget* parent, const QString& text) override {
        QMessageBox box(QMessageBox::Question, boxTitle(), text, QMessageBox::Yes | QMessageBox::No,
                        parent);
        box.button(QMessageBox::Yes)->setText(TranslateText("~&Ja", true));
        box.button(QMessageBox::No)->setText(TranslateText("~&Nein", true));
        box.setDefaultButton(QMessageBox::Yes);
        tModalDialogGuard guard;
        return box.exec() == QMessageBox::Yes;
    }

    QString ChooseFile(QWidget* parent, const tFileDialogRequest& request) override {
        QFileDialog dialog(parent, request.Title, request.StartFolder, request.Filter);
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        dialog.setAcceptMode(request.Save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
        dialog.setFileMode(request.Save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
        if (!request.DefaultSuffix.isEmpty()) dialog.setDefaultSuffix(request.DefaultSuffix);
        if (!request.FileName.isEmpty()) dialog.selectFile(request.FileName);
        dialog.setLabelText(QFileDialog::LookIn, TranslateText("~Suchen in:"));
        dialog.setLabelText(QFileDialog::FileName, TranslateText("~Dateiname:"));
        dialog.setLabelText(QFileDialog::FileType, TranslateText("~Dateityp:"));
        dialog.setLabelText(QFileDialog::Accept, request.Save ? TranslateText("~&Speichern", true)
                                                              : TranslateText("~&Öffnen", true));
        dialog.setLabelText(QFileDialog::Reject, TranslateText("~Abbrechen"));
        tModalDialogGuard guard;
        if (dialog.exec() != QDialog::Accepted) return {};
        const QStringList chosen = dialog.selectedFiles();
        return chosen.isEmpty() ? QString() : chosen.front();
    }
};

tUserDialogs* testDialogs = nullptr;

}  // namespace

tUserDialogs& UserDialogs() {
    static tQtUserDialogs real;
    return testDialogs ? *testDialogs : real;
}

void SetUserDialogs(tUserDialogs* dialogs) {
    testDialogs = dialogs;
}

bool ModalDialogOpen() {
    return openModalDialogs > 0;
}

tModalDialogGuard::tModalDialogGuard() {
    ++openModalDialogs;
}

tModalDialogGuard::~tModalDialogGuard() {
    --openModalDialogs;
}
