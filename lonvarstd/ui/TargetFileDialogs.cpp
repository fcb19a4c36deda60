#include "ui/TargetFileDialogs.h"

#include <QStringList>

#include "ui/MultiLang.h"

namespace {

// "*.ods *.ODS ..." for the given extensions.
QString Patterns(const QStringList& extensions) {
    QStringList patterns;
    for (const QString& ext : extensions) {
        patterns << "*." + ext.toLower() << "*." + ext.toUpper();
    }
    return patterns.join(' ');
}

QString Filter(const char* key, const QStringList& extensions) {
    return TranslateText(key) + " (" + Patterns(extensions) + ")";
}

}  // namespace

tFileDialogRequest TargetFileRequest(tTargetFile which, const QString& startFolder,
                                     const QString& fileName) {
    tFileDialogRequest request;
    request.StartFolder = startFolder;
    switch (which) {
        case tTargetFile::XlsVorlage:
            request.Title = TranslateText("~Excel-Vorlage?");
            request.Filter = Filter("~Tabellenvorlagen", {"ots", "xltx", "xlt"});
            request.DefaultSuffix = "xlt";
            request.FileName = fileName.isEmpty() ? QStringLiteral("Default.xlt") : fileName;
            request.Save = false;
            break;
        case tTargetFile::XlsFile:
            request.Title = TranslateText("~Excel-Datei?");
            request.Filter = Filter("~Arbeitsmappen", {"ods", "xlsx", "xls"});
            request.DefaultSuffix = "xls";
            request.FileName = fileName.isEmpty() ? QStringLiteral("Noname.xls") : fileName;
            request.Save = true;
            break;
        case tTargetFile::TxtFile:
            request.Title = TranslateText("~Text-Datei?");
            request.Filter = Filter("~Textdateien", {"txt"});
            request.DefaultSuffix = "txt";
            request.FileName = fileName.isEmpty() ? QStringLiteral("Noname.txt") : fileName;
            request.Save = true;
            break;
    }
    return request;
}
