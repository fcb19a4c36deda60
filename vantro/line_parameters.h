#pragma once
// Line parameters of the wedge's serial port: the text form ("4800,E,7,2[,X]") that the
// port set-up dialog builds and start-up parses, and its decoding for the serial layer.

#include <string>

// List positions of the port set-up dialog.
struct TLineParameters {
    int BaudIndex = 6;      // 110, 300, 600, 1200, 2400, 4800, 9600, 19200
    int ParityIndex = 0;    // None, Odd, Even, Mark, Space
    int DataBitsIndex = 3;  // 5, 6, 7, 8
    int StopBitsIndex = 0;  // 1, 1.5, 2
    int FlowIndex = 0;      // None, Xon / Xoff, Hardware, Lumo-RS
};

inline constexpr int kBaudRates[] = {110, 300, 600, 1200, 2400, 4800, 9600, 19200};
inline constexpr int kBaudRateCount = 8;
inline const char* const kDefaultPortSettings = "4800,E,7,2";

// Derives the list positions from a settings text. Positions the text does not name keep
// their value (baud rate, flow); parity, data and stop bits always get a value.
void ParsePortSettings(const std::string& text, TLineParameters& params);

// Builds the settings text from the list positions; out-of-range positions fall back.
std::string BuildPortSettings(const TLineParameters& params);

// The settings text decoded for the serial layer.
struct TDecodedLine {
    bool Ok = false;
    std::string Error;  // why the text was refused
    int Baud = 0;
    char Parity = 'E';  // N, O, E, M, S
    int DataBits = 7;
    int StopBitsTenths = 20;  // 10, 15 or 20
};

TDecodedLine DecodePortSettings(const std::string& text);
