#include "ui/DialogCalls.h"

#include "ui/EditCom.h"
#include "ui/EditDevice.h"
#include "ui/EditExcel.h"
#include "ui/Info.h"
#include "ui/MultiLang.h"
#include "ui/UserDialogs.h"

tMainBigDialogs RealMainBigDialogs() {
    tMainBigDialogs dialogs;
    dialogs.EditDevice = &EditDevice;
    dialogs.EditExcelGlobal = &EditExcelGlobal;
    dialogs.EditComPorts = &EditComPorts;
    dialogs.ShowInfo = &ShowInfo;
    dialogs.ChooseLanguage = [](QWidget* parent) {
        tModalDialogGuard guard;
        return ChooseLanguage(parent);
    };
    return dialogs;
}
