// The program INI file's folders and switches, and the configuration files
// (".TVC" and the temporary "TVC.TMP") that keep each device's settings in a
// section named after its port or cable.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <utility>

#include "engine/dataModule.h"
#include "support/new_ini_file.h"
#include "support/prog_layout.h"
#include "support/prog_paths.h"

namespace {

const char* const DefaultSection = "DEFAULT";
// The device behind each COM port; the serial layer reads the same section.
const char* const ComPortsSection = "COMPORTS";

bool DirExists(const std::string& dir) {
    std::error_code ec;
    return !dir.empty() && std::filesystem::is_directory(dir, ec);
}

std::string FolderOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// The shipped template, or the user's own of the same name.
std::string DefaultTemplate() {
    return tavrix::ProgLayout().DataFile("Default.xlt");
}

void ReadGlobalTarget(TNewIniFile& ini, TD& d, bool slctDefault, bool vorlageSlctDefault,
                      const std::string& vorlageDefault, const std::string& fileDefault) {
    d.XlsGlobSlct = ini.ReadBool(DefaultSection, "XlsGlobSlct", slctDefault);
    d.XlsGlobVorlageSlct = ini.ReadBool(DefaultSection, "XlsGlobVorlageSlct", vorlageSlctDefault);
    d.XlsGlobVorlage = ini.ReadString(DefaultSection, "XlsGlobVorlage", vorlageDefault);
    d.XlsGlobFile = ini.ReadString(DefaultSection, "XlsGlobFile", fileDefault);
}

}  // namespace

void TD::SetOnSettingsFileError(SettingsFileErrorHandler handler) {
    onSettingsFileError_ = std::move(handler);
    if (!onSettingsFileError_) return;
    for (const auto& [fileName, error] : std::exchange(unhandledSettingsErrors_, {})) {
        onSettingsFileError_(fileName, error);
    }
}

void TD::ReportUnreadableSettings(const std::string& fileName, const std::string& error) {
    const auto& known = unreadableSettingsFiles_;
    if (std::find(known.begin(), known.end(), fileName) != known.end()) return;
    unreadableSettingsFiles_.push_back(fileName);
    lastSettingsFileError_ = error;
    std::fprintf(stderr, "Settings file not read, defaults used: %s\n", error.c_str());
    if (onSettingsFileError_) {
        onSettingsFileError_(fileName, error);
    } else {
        unhandledSettingsErrors_.emplace_back(fileName, error);
    }
}

void TD::LoadProgIni() {
    std::string readError;
    tPgIniFile ini(ProgIniFile, readError);
    if (!readError.empty()) ReportUnreadableSettings(ProgIniFile, readError);
    ShowCom1 = ini.ReadBool(DefaultSection, "ShowCom1", true);
    ShowCom2 = ini.ReadBool(DefaultSection, "ShowCom2", true);
    // One switch governs both ports.
    ShowCom2 = ShowCom1;
    for (std::size_t i = 0; i < ComPortDevices.size(); ++i) {
        ComPortDevices[i] = ini.ReadString(ComPortsSection, "COM" + std::to_string(i + 1), "");
    }
    const std::string templateDir = FolderOf(DefaultTemplate());
    XlsZielVorlageDir = ini.ReadString(DefaultSection, "XlsZielVorlageDir", templateDir);
    if (!DirExists(XlsZielVorlageDir)) XlsZielVorlageDir = templateDir;
    XlsZielFileDir = ini.ReadString(DefaultSection, "XlsZielFileDir", DatDir());
    if (!DirExists(XlsZielFileDir)) XlsZielFileDir = DatDir();
    TxtZielFileDir = ini.ReadString(DefaultSection, "TxtZielFileDir", DatDir());
    if (!DirExists(TxtZielFileDir)) TxtZielFileDir = DatDir();
    TvcFileName = ini.ReadString(DefaultSection, "TvcFileName", DefaultTvcFileName());
    if (!DirExists(FolderOf(TvcFileName))) TvcFileName = DefaultTvcFileName();
}

void TD::SaveProgIni() const {
    tPgIniFile ini(ProgIniFile);
    ini.WriteBool(DefaultSection, "ShowCom1", ShowCom1);
    ini.WriteBool(DefaultSection, "ShowCom2", ShowCom2);
    ini.WriteString(DefaultSection, "XlsZielVorlageDir", XlsZielVorlageDir);
    ini.WriteString(DefaultSection, "XlsZielFileDir", XlsZielFileDir);
    ini.WriteString(DefaultSection, "TxtZielFileDir", TxtZielFileDir);
    ini.WriteString(DefaultSection, "TvcFileName", TvcFileName);
    // A file that never named a device for a port gets no empty entry for it.
    for (std::size_t i = 0; i < ComPortDevices.size(); ++i) {
        const std::string key = "COM" + std::to_string(i + 1);
        if (!ComPortDevices[i].empty() || !ini.ReadString(ComPortsSection, key, "").empty()) {
            ini.WriteString(ComPortsSection, key, ComPortDevices[i]);
        }
    }
    ini.UpdateFile();
}

void TD::LoadConfig(bool fromTmp) {
    std::string readError;
    {
        const std::string fileName = fromTmp ? TmpConfigFileName() : TvcFileName;
        tPgIniFile ini(fileName, readError);
        if (!readError.empty()) ReportUnreadableSettings(fileName, readError);
        ReadGlobalTarget(ini, *this, true, true, "", DatDir() + "Lonvar.xls");
        // Instruments of one connection kind fill columns 1, 2, 3 ...; switch cables take
        // none, and the other kind starts again at column 1 on its own sheet.
        int column = 0;
        std::uint8_t lastConnection = 0;
        for (auto& dev : Devices) {
            if (dev->Connection != lastConnection) column = 0;
            lastConnection = dev->Connection;
            dev->LoadConfig(ini, column);
            if (!dev->IsSwitch()) ++column;
        }
    }
    if (XlsGlobVorlage.empty()) {
        tPgIniFile progIni(ProgIniFile, readError);
        if (!readError.empty()) ReportUnreadableSettings(ProgIniFile, readError);
        ReadGlobalTarget(progIni, *this, true, true, DefaultTemplate(), DatDir() + "Lonvar.xls");
    }
}

void TD::SaveConfig(bool toTmp) const {
    tPgIniFile ini(toTmp ? TmpConfigFileName() : TvcFileName);
    ini.WriteBool(DefaultSection, "XlsGlobSlct", XlsGlobSlct);
    ini.WriteBool(DefaultSection, "XlsGlobVorlageSlct", XlsGlobVorlageSlct);
    ini.WriteString(DefaultSection, "XlsGlobVorlage", XlsGlobVorlage);
    ini.WriteString(DefaultSection, "XlsGlobFile", XlsGlobFile);
    for (const auto& dev : Devices) dev->SaveConfig(ini);
    // Written here so that a failure reaches the caller instead of vanishing in the destructor.
    ini.UpdateFile();
}

void tDevice::LoadConfig(TNewIniFile& ini, int columnCounter) {
    const std::string sec = GetSectionName();
    const TD& d = Owner();
    if (Connection == ConnectionRs232) {
        const std::string wanted = ini.ReadString(sec, "DeviceDescription", "UNDEF");
        DescrIdx = tavrix::FindDescrByType(d.Rs232Descrs, wanted, /*lastWins=*/true);
        Descr = d.Rs232Descrs[static_cast<std::size_t>(DescrIdx)].get();
        DescrText = Descr->TypeName;
    }
    const std::string nameDefault = Connection == ConnectionUsb ? GetSerNr() : GetPortName();
    DeviceName = ini.ReadString(sec, "DeviceName", nameDefault);
    DeviceType = ini.ReadString(sec, "DeviceType", "...");
    AnforderType = static_cast<std::uint8_t>(ini.ReadInteger(sec, "AnforderType", AnforderNone));
    AnforderTasteKeyb = ini.ReadString(sec, "AnforderTasteKeyb", "F1");
    AnforderSerNrTVI = ini.ReadString(sec, "AnforderSerNrTVI", "");
    AnforderTicksTimer = ini.ReadInteger(sec, "AnforderTicksTimer", 10000);
    AnforderCycle = ini.ReadBool(sec, "AnforderCycle", false);
    AnforderCycleIdx = ini.ReadInteger(sec, "AnforderCycleIdx", 1);
    SchalterCycleCount = ini.ReadInteger(sec, "SchalterCycleCount", 1);
    SchalterCycleIdx = ini.ReadInteger(sec, "SchalterCycleIdx", 0);
    MwZielAppl = static_cast<std::uint8_t>(ini.ReadInteger(sec, "MwZielAppl", MwZielXls));
    MwTxtZielFile = ini.ReadString(sec, "MwTxtZielFile",
                                   d.DatDir() + "Device" + std::to_string(DevIdx + 1) + ".txt");
    MwXlsZielVorlageSlct = ini.ReadBool(sec, "MwXlsZielVorlageSlct", true);
    MwXlsZielVorlage = ini.ReadString(sec, "MwXlsZielVorlage", DefaultTemplate());
    MwXlsZielFile = ini.ReadString(sec, "MwXlsZielFile", d.DatDir() + "Lonvar.xls");
    MwXlsZielTable = ini.ReadString(sec, "MwXlsZielTable",
                                    Connection == ConnectionRs232 ? "Tabelle2" : "Tabelle1");
    MwXlsZielCol = ini.ReadInteger(sec, "MwXlsZielCol", columnCounter + 1);
    MwXlsZielStartRow = ini.ReadInteger(sec, "MwXlsZielStartRow", 1);
    // A switch cycle starts anew at every load.
    SchalterCycleIdx = 0;
    XlsRow = MwXlsZielStartRow;
}

void tDevice::SaveConfig(TNewIniFile& ini) const {
    const std::string sec = GetSectionName();
    if (Connection == ConnectionRs232) ini.WriteString(sec, "DeviceDescription", DescrText);
    ini.WriteString(sec, "DeviceName", DeviceName);
    ini.WriteString(sec, "DeviceType", DeviceType);
    ini.WriteInteger(sec, "AnforderType", AnforderType);
    ini.WriteString(sec, "AnforderTasteKeyb", AnforderTasteKeyb);
    ini.WriteString(sec, "AnforderSerNrTVI", AnforderSerNrTVI);
    ini.WriteInteger(sec, "AnforderTicksTimer", AnforderTicksTimer);
    ini.WriteBool(sec, "AnforderCycle", AnforderCycle);
    ini.WriteInteger(sec, "AnforderCycleIdx", AnforderCycleIdx);
    ini.WriteInteger(sec, "SchalterCycleCount", SchalterCycleCount);
    ini.WriteInteger(sec, "SchalterCycleIdx", SchalterCycleIdx);
    ini.WriteInteger(sec, "MwZielAppl", MwZielAppl);
    ini.WriteString(sec, "MwTxtZielFile", MwTxtZielFile);
    ini.WriteBool(sec, "MwXlsZielVorlageSlct", MwXlsZielVorlageSlct);
    ini.WriteString(sec, "MwXlsZielFile", MwXlsZielFile);
    ini.WriteString(sec, "MwXlsZielVorlage", MwXlsZielVorlage);
    ini.WriteString(sec, "MwXlsZielTable", MwXlsZielTable);
    ini.WriteInteger(sec, "MwXlsZielCol", MwXlsZielCol);
    ini.WriteInteger(sec, "MwXlsZielStartRow", MwXlsZielStartRow);
}
