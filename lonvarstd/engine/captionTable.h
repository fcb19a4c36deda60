#pragma once
// Captions that the user interface shows for request kinds, value targets and
// the file questions of the device dialog, in the language in force.

#include <array>
#include <functional>
#include <string>

struct tCaptionTable {
    std::string ExcelCaption;
    std::string TextdateiCaption;
    std::string SchalterCaption;                   // type shown for a switch cable
    std::array<std::string, 4> AnforderTypeNames;  // by AnforderType
    std::array<std::string, 4> MwZielApplNames;    // by MwZielAppl; [3] is BetaetigungCaption
    std::string XlsQuestion;
    std::string XlsVorlageQuestion;
    std::string XlsFileQuestion;
    std::string TxtFileQuestion;
    std::string XlsTableQuestion;     // status of a sheet name the office refuses
    std::string NoPermission;         // status of a port the user may not open
    std::string NoPermissionAdvice;   // what to do about it
    std::string NoCableAccess;        // status of a cable that cannot be opened to be asked
    std::string NoCableAccessAdvice;  // what to do about it

    const std::string& BetaetigungCaption() const { return MwZielApplNames[3]; }

    // Fills every caption with the translation of its key; "-" stays as it is.
    // Without a translator the keys themselves are the captions.
    void Load(const std::function<std::string(const std::string&)>& translate = {});
};
