#pragma once
// A device type: line settings, how a reading is requested, how the answer is
// cut into messages and where the value sits in a message.

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// Kind of a description.
enum : std::uint8_t { DescrKindUndef = 0, DescrKindSwitch = 1, DescrKindInstrument = 2 };

// How a request is made.
enum : std::uint8_t { ReqKindNone = 0, ReqKindText = 1, ReqKindPulseDtr = 2, ReqKindPulseRts = 3 };

// What the worker reads.
enum : std::uint8_t { RxModeNone = 0, RxModeChars = 1, RxModeSwitch = 2 };

// Value extraction rule kinds.
enum : std::uint8_t { RuleNone = 0, RuleFixedPos = 1, RuleToken = 2, RuleNone3 = 3 };

struct tDescrRule {
    std::uint8_t RuleKind = RuleNone;
    std::int32_t From = 0;
    std::int32_t Len = 0;
    std::int32_t TokenNo = 0;
};

class tDeviceDescr {
public:
    // Positions of the DTR and RTS levels among the line flags.
    static constexpr int DtrFlag = 6;
    static constexpr int RtsFlag = 7;

    // Picture positions, filled by the main window according to TypeNo.
    std::vector<int> ImageIdx;

    std::string DescrName;
    std::string TypeName;
    std::string Caption;
    std::uint8_t Kind = DescrKindUndef;
    std::int32_t TypeNo = 0;
    std::uint8_t BaudIdx = 0;
    std::uint8_t DataBitsIdx = 0;
    std::uint8_t StopBitsIdx = 0;
    std::uint8_t ParityIdx = 0;
    std::int32_t ReadTimeout = 1;
    std::int32_t WriteTimeout = 0;
    std::array<std::uint8_t, 10> LineFlags{};
    std::string ReqText2;
    std::string Answer2Text;
    std::uint8_t ReqKind = ReqKindNone;
    std::int32_t PulseMs = 0;
    std::int32_t AnswerTimeout = 500;
    bool PulseHigh = false;
    std::string ReqText;
    std::uint8_t RxMode = RxModeNone;
    std::int32_t StatusBit = 0;
    bool StatusInvert = false;
    std::int32_t IdPos = 0;
    std::string IdText;
    std::array<std::string, 3> Eot;
    std::int32_t FilterCount = 0;
    std::string FilterChars;  // at most 12 characters
    std::array<tDescrRule, 3> Rules{};

    std::uint8_t DtrLevel() const { return LineFlags[DtrFlag]; }
    std::uint8_t RtsLevel() const { return LineFlags[RtsFlag]; }
    bool IsSwitch() const { return Kind == DescrKindSwitch; }
    bool IsInstrument() const { return Kind == DescrKindInstrument; }
};

using tDeviceDescrList = std::vector<std::unique_ptr<tDeviceDescr>>;

namespace tavrix {

// The baud rates that BaudIdx 0..11 stands for.
inline constexpr std::array<std::int32_t, 12> DescrBaudTable = {
    110, 300, 600, 1200, 2400, 4800, 9600, 14400, 19200, 38400, 57600, 115200};

// Baud rate of a description; the 4800 of the gauges for an index outside the table.
std::int32_t BaudOf(const tDeviceDescr& descr);

// Parity code of the USB cable for the serial enumeration index (even, odd, none, mark, space).
std::uint8_t UsbParityCode(std::uint8_t parityIdx);

// Fills the two lists with the built-in types, entry 0 of each undefined.
void CreateBuiltInDescrs(tDeviceDescrList& usbDescrs, tDeviceDescrList& rs232Descrs);

// Index of the first entry 1..last of `descrs` whose TypeName equals the trimmed text, 0 if none.
int FindDescrByType(const tDeviceDescrList& descrs, const std::string& typeText, bool lastWins);

// The text with leading and trailing blanks removed.
std::string TrimBlanks(const std::string& text);

}  // namespace tavrix
