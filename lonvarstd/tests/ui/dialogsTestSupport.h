#pragma once
// What the dialog tests share besides the application (ui_test_app.h): a program
// folder with device pictures, file dialogs and message boxes answered by the test,
// and a way to act inside a modal dialog while it runs.

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QImage>
#include <QString>
#include <QTimer>
#include <chrono>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "tests/engine/engineTestSupport.h"
#include "ui/UserDialogs.h"
#include "ui_test_app.h"

namespace tavrix::test {

// Answers the dialogs' questions: file dialogs from a queue ("" = cancelled),
// message boxes recorded.
class ScriptedDialogs : public tUserDialogs {
public:
    ScriptedDialogs() { SetUserDialogs(this); }
    ~ScriptedDialogs() override { SetUserDialogs(nullptr); }
    void ShowMessage(QWidget*, const QString& text) override { Messages.push_back(text); }
    bool Confirm(QWidget*, const QString&) override { return true; }
    QString ChooseFile(QWidget*, const tFileDialogRequest& request) override {
        Requests.push_back(request);
        if (FileAnswers.empty()) return {};
        QString answer = FileAnswers.front();
        FileAnswers.pop_front();
        return answer;
    }
    std::vector<QString> Messages;
    std::vector<tFileDialogRequest> Requests;
    std::deque<QString> FileAnswers;
};

// A program folder with two device types' pictures: "Caliper" for type 1 on both
// connections, "Dial" for type 4 on USB only.
inline void WriteDevicePictures(const TempProgDir& prog) {
    const std::string dir = prog.path("UDEVICES/");
    std::filesystem::create_directories(dir);
    auto picture = [&](const std::string& name, int w, int h, Qt::GlobalColor color) {
        QImage image(w, h, QImage::Format_RGB32);
        image.fill(color);
        image.save(QString::fromStdString(dir + name), "BMP");
    };
    picture("Caliper_G_0111.bmp", 160, 120, Qt::darkBlue);
    picture("Caliper_K.bmp", 80, 60, Qt::darkBlue);
    picture("Dial_G_0401.bmp", 160, 120, Qt::darkGreen);
    picture("Dial_K.bmp", 80, 60, Qt::darkGreen);
}

// Runs `act` once the modal dialog of type Form is open; a dialog that `act` leaves
// open is cancelled unless `leaveOpen`.
template <class Form>
void WhenModal(std::function<void(Form&)> act, bool leaveOpen = false) {
    auto* poll = new QTimer;
    poll->setInterval(5);
    QObject::connect(poll, &QTimer::timeout, [poll, act, leaveOpen] {
        auto* form = qobject_cast<Form*>(QApplication::activeModalWidget());
        if (form == nullptr || !form->isVisible()) return;
        poll->stop();
        poll->deleteLater();
        act(*form);
        if (!leaveOpen && form->isVisible()) form->reject();
    });
    poll->start();
}

}  // namespace tavrix::test
