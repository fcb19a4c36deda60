#include "line_parameters.h"

#include <charconv>
#include <vector>

namespace {

// Leading decimal number of a text, or -1 when it starts with none.
long LeadingNumber(const std::string& text) {
    long value = -1;
    const char* end = text.data() + text.size();
    std::from_chars(text.data(), end, value);
    return value;
}

bool Contains(const std::string& text, const char* what) {
    return text.find(what) != std::string::npos;
}

std::vector<std::string> SplitCommas(const std::string& text) {
    std::vector<std::string> fields;
    std::string field;
    for (char c : text) {
        if (c == ',') {
            fields.push_back(field);
            field.clear();
        } else if (c != ' ') {
            field += c;
        }
    }
    fields.push_back(field);
    return fields;
}

}  // namespace

void ParsePortSettings(const std::string& text, TLineParameters& params) {
    const long baud = LeadingNumber(text);
    for (int i = 0; i < kBaudRateCount; ++i) {
        if (kBaudRates[i] == baud) params.BaudIndex = i;
    }

    const size_t comma = text.find(',');
    const std::string rest = comma == std::string::npos ? std::string() : text.substr(comma);

    // Later tests win, as the letters are looked for one after another.
    if (Contains(rest, "X")) params.FlowIndex = 1;
    if (Contains(rest, "P")) params.FlowIndex = 2;
    if (Contains(rest, "T")) params.FlowIndex = 3;

    params.ParityIndex = 2;
    if (Contains(rest, "N")) params.ParityIndex = 0;
    if (Contains(rest, "O")) params.ParityIndex = 1;
    if (Contains(rest, "M")) params.ParityIndex = 3;
    if (Contains(rest, "S")) params.ParityIndex = 4;

    params.StopBitsIndex = 0;
    if (Contains(rest, ",2")) params.StopBitsIndex = 2;
    if (Contains(rest, "1.5")) params.StopBitsIndex = 1;

    params.DataBitsIndex = 2;
    if (Contains(rest, ",5")) params.DataBitsIndex = 0;
    if (Contains(rest, ",6")) params.DataBitsIndex = 1;
    if (Contains(rest, ",8")) params.DataBitsIndex = 3;
}

std::string BuildPortSettings(const TLineParameters& params) {
    const int baudIndex =
        params.BaudIndex >= 0 && params.BaudIndex < kBaudRateCount ? params.BaudIndex : 5;
    std::string text = std::to_string(kBaudRates[baudIndex]);

    static const char* const parity[] = {",N", ",O", ",E", ",M", ",S"};
    text += params.ParityIndex >= 0 && params.ParityIndex < 5 ? parity[params.ParityIndex] : ",E";

    static const char* const dataBits[] = {",5", ",6", ",7", ",8"};
    text += params.DataBitsIndex >= 0 && params.DataBitsIndex < 4 ? dataBits[params.DataBitsIndex]
                                                                  : ",7";

    static const char* const stopBits[] = {",1", ",1.5", ",2"};
    text += params.StopBitsIndex >= 0 && params.StopBitsIndex < 3 ? stopBits[params.StopBitsIndex]
                                                                  : ",1";

    static const char* const flow[] = {"", ",X", ",P", ",T"};
    if (params.FlowIndex >= 0 && params.FlowIndex < 4) text += flow[params.FlowIndex];
    return text;
}

TDecodedLine DecodePortSettings(const std::string& text) {
    TDecodedLine line;
    const std::vector<std::string> fields = SplitCommas(text);
    if (fields.size() < 4 || fields.size() > 5) {
        line.Error = "Invalid line parameters \"" + text + "\"";
        return line;
    }
    const long baud = LeadingNumber(fields[0]);
    if (baud <= 0 || std::to_string(baud) != fields[0]) {
        line.Error = "Invalid baud rate \"" + fields[0] + "\"";
        return line;
    }
    if (fields[1].size() != 1 || std::string("NOEMS").find(fields[1][0]) == std::string::npos) {
        line.Error = "Invalid parity \"" + fields[1] + "\"";
        return line;
    }
    if (fields[2].size() != 1 || fields[2][0] < '5' || fields[2][0] > '8') {
        line.Error = "Invalid data bits \"" + fields[2] + "\"";
        return line;
    }
    int stopTenths = 0;
    if (fields[3] == "1") stopTenths = 10;
    if (fields[3] == "1.5") stopTenths = 15;
    if (fields[3] == "2") stopTenths = 20;
    if (stopTenths == 0) {
        line.Error = "Invalid stop bits \"" + fields[3] + "\"";
        return line;
    }
    // A trailing flow letter is informative only: the line control comes from the flow choice.
    if (fields.size() == 5 && fields[4] != "X" && fields[4] != "P" && fields[4] != "T") {
        line.Error = "Invalid flow control \"" + fields[4] + "\"";
        return line;
    }
    line.Ok = true;
    line.Baud = static_cast<int>(baud);
    line.Parity = fields[1][0];
    line.DataBits = fields[2][0] - '0';
    line.StopBitsTenths = stopTenths;
    return line;
}
