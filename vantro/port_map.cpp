#include "port_map.h"

#include <QSerialPortInfo>
#include <QSettings>
#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <tuple>

namespace {

std::string Trim(const std::string& text) {
    size_t first = 0;
    size_t last = text.size();
    while (first < last && std::isspace(static_cast<unsigned char>(text[first]))) ++first;
    while (last > first && std::isspace(static_cast<unsigned char>(text[last - 1]))) --last;
    return text.substr(first, last - first);
}

// Sort key: family rank, name without trailing digits, trailing number.
std::tuple<int, std::string, long> DeviceKey(const std::string& path) {
    const std::string name = path.substr(path.find_last_of('/') + 1);
    size_t digits = name.size();
    while (digits > 0 && std::isdigit(static_cast<unsigned char>(name[digits - 1]))) --digits;
    const std::string stem = name.substr(0, digits);
    const long number = digits < name.size() ? std::atol(name.c_str() + digits) : -1;
    int rank = 3;
    if (stem == "ttyS") rank = 0;
    if (stem == "ttyUSB") rank = 1;
    if (stem == "ttyACM") rank = 2;
    return {rank, stem, number};
}

}  // namespace

std::map<int, std::string> ParsePortOverrides(const std::string& text) {
    std::map<int, std::string> overrides;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find_first_of(";,", start);
        if (end == std::string::npos) end = text.size();
        const std::string entry = Trim(text.substr(start, end - start));
        start = end + 1;
        const size_t equals = entry.find('=');
        if (equals == std::string::npos) continue;
        std::string key = Trim(entry.substr(0, equals));
        if (key.size() > 3 && (key.compare(0, 3, "COM") == 0 || key.compare(0, 3, "com") == 0)) {
            key = key.substr(3);
        }
        if (key.empty() || key.size() > 2 || !std::all_of(key.begin(), key.end(), [](char c) {
                return std::isdigit(static_cast<unsigned char>(c));
            })) {
            continue;
        }
        const int number = std::atoi(key.c_str());
        const std::string path = Trim(entry.substr(equals + 1));
        if (number >= 1 && number <= kMaxComPort && !path.empty()) overrides[number] = path;
    }
    return overrides;
}

std::vector<std::string> OrderSerialDevices(std::vector<std::string> paths) {
    std::sort(paths.begin(), paths.end(), [](const std::string& a, const std::string& b) {
        return DeviceKey(a) < DeviceKey(b);
    });
    paths.erase(std::unique(paths.begin(), paths.end()), paths.end());
    return paths;
}

TPortMap::TPortMap(const std::vector<std::string>& systemDevices,
                   const std::map<int, std::string>& overrides)
    : System_(OrderSerialDevices(systemDevices)), Overrides_(overrides) {
    Rebuild();
}

void TPortMap::Rebuild() {
    Paths_.clear();
    for (size_t i = 0; i < System_.size() && i < size_t(kMaxComPort); ++i) {
        Paths_[int(i) + 1] = System_[i];
    }
    for (const auto& [number, path] : Overrides_) Paths_[number] = path;
}

void TPortMap::SetOverride(int comNumber, const std::string& path) {
    if (path.empty()) {
        Overrides_.erase(comNumber);
    } else {
        Overrides_[comNumber] = path;
    }
    Rebuild();
}

std::string TPortMap::Override(int comNumber) const {
    const auto found = Overrides_.find(comNumber);
    return found == Overrides_.end() ? std::string() : found->second;
}

TPortMap TPortMap::FromSystem() {
    std::vector<std::string> devices;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        devices.push_back(info.systemLocation().toStdString());
    }
    std::map<int, std::string> overrides;
    QSettings settings(QStringLiteral("Vantro"), QStringLiteral("Vantro"));
    settings.beginGroup(QStringLiteral("Ports"));
    for (int n = 1; n <= kMaxComPort; ++n) {
        const QString path = settings.value(QStringLiteral("COM%1").arg(n)).toString().trimmed();
        if (!path.isEmpty()) overrides[n] = path.toStdString();
    }
    if (const char* env = std::getenv("VANTRO_PORTS")) {
        for (const auto& [number, path] : ParsePortOverrides(env)) overrides[number] = path;
    }
    return TPortMap(devices, overrides);
}

std::string TPortMap::DevicePath(int comNumber) const {
    const auto found = Paths_.find(comNumber);
    return found == Paths_.end() ? std::string() : found->second;
}

std::string TPortMap::Label(int comNumber) const {
    const std::string name = "COM" + std::to_string(comNumber);
    const std::string path = DevicePath(comNumber);
    return path.empty() ? name : name + " (" + path + ")";
}
