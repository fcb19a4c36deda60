#include "shell/outsideEnd.h"

#include <QApplication>
#include <QDialog>
#include <QPointer>
#include <QThread>
#include <QTimer>

#include "shell/TavrixMain.h"
#include "ui/UserDialogs.h"

namespace {

// How often the close looks again whether the dialogs' loops have ended.
constexpr int kRetryMs = 20;

}  // namespace

void CloseFromOutside(TFrmTavrixMain* status, int mainLoopLevel) {
    if (status == nullptr) return;
    status->AskOnClose = false;
    while (QWidget* popup = QApplication::activePopupWidget()) popup->close();
    if (QWidget* modal = QApplication::activeModalWidget()) {
        if (auto* dialog = qobject_cast<QDialog*>(modal)) {
            dialog->reject();
        } else {
            modal->close();
        }
    }
    // The dialog's loop and the handler that opened it end first.
    if (QThread::currentThread()->loopLevel() > mainLoopLevel || ModalDialogOpen()) {
        QPointer<TFrmTavrixMain> guarded(status);
        QTimer::singleShot(kRetryMs, status, [guarded, mainLoopLevel] {
            if (guarded) CloseFromOutside(guarded, mainLoopLevel);
        });
        return;
    }
    status->close();
}
