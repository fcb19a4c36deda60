// The keyboard wedge: types readings from a gauge on a serial port into the focused window.

#include <QApplication>

#include "main_form.h"
#include "single_instance.h"
#include "x11_hot_keys.h"
#include "x11_keyboard_output.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vantro"));
    QApplication::setOrganizationName(QStringLiteral("Vantro"));

    TSingleInstance instance;
    if (!instance.TryBecomeFirst()) {
        ActivatePreviousInstance("Vantro");
        return 0;
    }

    TX11KeyboardOutput keyboard;
    TX11HotKeys hotKeys;
    TMainForm form(keyboard, hotKeys, TPortMap::FromSystem());
    instance.OnActivate = [&form](const std::string& title) {
        const QString wanted = QString::fromStdString(title).trimmed().toUpper();
        if (!form.windowTitle().toUpper().contains(wanted)) return false;
        if (form.isMinimized()) form.showNormal();
        form.raise();
        form.activateWindow();
        return true;
    };
    form.FormLoad(true);
    form.show();
    return app.exec();
}
