#include "engine/captionTable.h"

void tCaptionTable::Load(const std::function<std::string(const std::string&)>& translate) {
    auto tr = [&](const char* key) { return translate ? translate(key) : std::string(key); };
    ExcelCaption = tr("~Excel");
    TextdateiCaption = tr("~Textdatei");
    SchalterCaption = tr("~Schalter");
    AnforderTypeNames = {"-", tr("~Taste"), tr("~Schalter"), tr("~Timer")};
    MwZielApplNames = {"-", tr("~Excel"), tr("~Textdatei"), tr("~Betätigung")};
    XlsQuestion = tr("~Excel?");
    XlsVorlageQuestion = tr("~Excel-Vorlage?");
    XlsFileQuestion = tr("~Excel-Datei?");
    TxtFileQuestion = tr("~Text-Datei?");
    XlsTableQuestion = tr("~Excel-Tabelle?");
    NoPermission = tr("~Keine Berechtigung");
    NoPermissionAdvice = tr("~Berechtigung fehlt");
    NoCableAccess = tr("~Kein Zugriff auf das Kabel");
    NoCableAccessAdvice = tr("~Kabel gesperrt");
}
