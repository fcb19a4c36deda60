#include "engine/deviceDescr.h"

namespace tavrix {

namespace {

std::unique_ptr<tDeviceDescr> MakeUndefined() {
    auto d = std::make_unique<tDeviceDescr>();
    d->TypeName = "UNDEF";
    d->Caption = "UNDEF";
    return d;
}

// Line settings that every gauge cable and gauge shares: 4800 baud, 7E2, DTR and RTS on.
std::unique_ptr<tDeviceDescr> MakeGaugeLine(const std::string& descrName,
                                            const std::string& typeName, std::uint8_t kind,
                                            std::int32_t typeNo) {
    auto d = std::make_unique<tDeviceDescr>();
    d->DescrName = descrName;
    d->TypeName = typeName;
    d->Caption = typeName;
    d->Kind = kind;
    d->TypeNo = typeNo;
    d->BaudIdx = 5;
    d->DataBitsIdx = 3;
    d->StopBitsIdx = 2;
    d->ParityIdx = 0;
    d->WriteTimeout = 100;
    d->ReadTimeout = 1;
    d->LineFlags[tDeviceDescr::DtrFlag] = 1;
    d->LineFlags[tDeviceDescr::RtsFlag] = 1;
    d->AnswerTimeout = 500;
    return d;
}

std::unique_ptr<tDeviceDescr> MakeSwitchCable() {
    auto d = MakeGaugeLine("TV-I.TVD1", "TV-I", DescrKindSwitch, 91);
    d->ReqKind = ReqKindNone;
    d->RxMode = RxModeSwitch;
    d->StatusBit = 5;
    d->StatusInvert = false;
    return d;
}

// An instrument asked by dropping DTR for 100 ms; the value is the first blank-separated token.
std::unique_ptr<tDeviceDescr> MakeInstrument(const std::string& descrName,
                                             const std::string& typeName, std::int32_t typeNo) {
    auto d = MakeGaugeLine(descrName, typeName, DescrKindInstrument, typeNo);
    d->ReqKind = ReqKindPulseDtr;
    d->PulseMs = 100;
    d->PulseHigh = false;
    d->RxMode = RxModeChars;
    d->Eot[0] = "\r";
    d->FilterCount = 1;
    d->FilterChars = " ";
    d->Rules[0].RuleKind = RuleToken;
    d->Rules[0].TokenNo = 1;
    return d;
}

}  // namespace

std::int32_t BaudOf(const tDeviceDescr& descr) {
    if (descr.BaudIdx < DescrBaudTable.size()) return DescrBaudTable[descr.BaudIdx];
    return 4800;
}

std::uint8_t UsbParityCode(std::uint8_t parityIdx) {
    switch (parityIdx) {
        case 0:
            return 2;  // even
        case 1:
            return 1;  // odd
        case 2:
            return 0;  // none
        default:
            return parityIdx;  // mark 3, space 4
    }
}

void CreateBuiltInDescrs(tDeviceDescrList& usbDescrs, tDeviceDescrList& rs232Descrs) {
    usbDescrs.push_back(MakeUndefined());
    usbDescrs.push_back(MakeSwitchCable());
    usbDescrs.push_back(MakeInstrument("Lumo.TVD1", "Lumo", 1));
    usbDescrs.push_back(MakeInstrument("40GVw.TVD1", "40GVw", 4));
    rs232Descrs.push_back(MakeUndefined());
    rs232Descrs.push_back(MakeInstrument("RS232-Lumo.TVD1", "Lumo", 1));
}

int FindDescrByType(const tDeviceDescrList& descrs, const std::string& typeText, bool lastWins) {
    const std::string wanted = TrimBlanks(typeText);
    int found = 0;
    for (std::size_t i = 1; i < descrs.size(); ++i) {
        if (descrs[i]->TypeName != wanted) continue;
        found = static_cast<int>(i);
        if (!lastWins) break;
    }
    return found;
}

std::string TrimBlanks(const std::string& text) {
    // Blanks and control characters, as a cable's description may be padded with either.
    std::size_t first = 0;
    std::size_t last = text.size();
    while (first < last && static_cast<unsigned char>(text[first]) <= ' ') ++first;
    while (last > first && static_cast<unsigned char>(text[last - 1]) <= ' ') --last;
    return text.substr(first, last - first);
}

}  // namespace tavrix
