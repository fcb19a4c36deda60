#include "shell/commandLineRequests.h"

#include <QCoreApplication>

#include "shell/SingleInstance.h"
#include "shell/TavrixMain.h"
#include "shell/keySource.h"

void TakeCommandLineRequests(tSingleInstance& instance, TFrmTavrixMain& status) {
    instance.SetRequestHandler([&status](std::uint16_t code) -> QString {
        if (!status.Started) return "it is still starting";
        QCoreApplication::postEvent(
            &status, new tEngineEvent(tEngineEvent::KeyPressed, code, KeyFromCommandLine, 0));
        return "ok";
    });
}
