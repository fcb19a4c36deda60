#include "hotkey_command.h"

#include <QLocalSocket>
#include <cctype>

namespace {

constexpr int kAnswerTimeoutMs = 3000;
constexpr const char* kPrefix = "hotkey ";

std::string Upper(std::string text) {
    for (char& ch : text) ch = char(std::toupper(static_cast<unsigned char>(ch)));
    return text;
}

}  // namespace

int HotKeyCodeOf(const std::string& name) {
    const std::string upper = Upper(name);
    if (upper == "F9") return 120;
    if (upper == "F10") return 121;
    if (upper == "F11") return 122;
    return 0;
}

std::string HotKeyNames() {
    return "F9, F10, F11";
}

bool IsHotKeyCommand(const std::vector<std::string>& parameters, std::string& name) {
    for (std::size_t i = 0; i < parameters.size(); ++i) {
        if (parameters[i] != "--hotkey") continue;
        name = i + 1 < parameters.size() ? parameters[i + 1] : "";
        return true;
    }
    return false;
}

std::string HotKeyRequestLine(const std::string& name) {
    return kPrefix + Upper(name) + "\n";
}

bool ParseHotKeyRequestLine(const std::string& line, std::string& name) {
    if (!line.starts_with(kPrefix)) return false;
    name = line.substr(std::string(kPrefix).size());
    return true;
}

THotKeyExit SendHotKey(const std::string& socketPath, const std::string& name,
                       std::string& message) {
    if (HotKeyCodeOf(name) == 0) {
        message = "\"" + name + "\" is not a hot key; valid keys: " + HotKeyNames();
        return HotKeyBadKey;
    }
    QLocalSocket socket;
    socket.connectToServer(QString::fromStdString(socketPath));
    if (!socket.waitForConnected(kAnswerTimeoutMs)) {
        const bool absent = socket.error() == QLocalSocket::ServerNotFoundError ||
                            socket.error() == QLocalSocket::ConnectionRefusedError;
        message = absent ? "Vantro is not running; nothing requested"
                         : "Vantro did not take the key: " + socket.errorString().toStdString();
        return absent ? HotKeyNoInstance : HotKeyNotTaken;
    }
    socket.write(QByteArray::fromStdString(HotKeyRequestLine(name)));
    socket.flush();
    while (!socket.canReadLine()) {
        if (!socket.waitForReadyRead(kAnswerTimeoutMs)) break;
    }
    const std::string answer = socket.readLine().trimmed().toStdString();
    if (answer == "ok") {
        message.clear();
        return HotKeyTaken;
    }
    message = answer.empty() ? "Vantro did not answer; the key may be lost"
                             : "Vantro did not take " + Upper(name) + ": " + answer;
    return HotKeyNotTaken;
}
