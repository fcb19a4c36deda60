#pragma once
// The file questions of the target settings (device dialog and spreadsheet dialog):
// titles, filters and proposed names in one place. File names on Linux are
// case-sensitive, so every pattern is given in both letter cases.

#include <QString>

#include "ui/PathText.h"
#include "ui/UserDialogs.h"

enum class tTargetFile {
    XlsVorlage,  // a spreadsheet template to start from (open)
    XlsFile,     // a workbook to write into (save: it may not exist yet)
    TxtFile,     // a text file to append to (save)
};

// The request for choosing `which`; `fileName` empty proposes the default name
// ("Default.xlt", "Noname.xls", "Noname.txt").
tFileDialogRequest TargetFileRequest(tTargetFile which, const QString& startFolder,
                                     const QString& fileName = {});
