#pragma once
// The wedge's serial port: opening with the line parameters and the flow choice, reading
// what arrived, sending requests, and the break, DTR, RTS and DSR lines.

#include <QByteArray>
#include <QObject>
#include <QSerialPort>
#include <optional>
#include <string>

#include "line_parameters.h"

// Break, DTR, RTS and DSR of a line whose device shows none (a pseudo-terminal): a
// stand-in that takes the changes and gives the DSR state.
class TModemLines {
public:
    virtual ~TModemLines() = default;
    virtual bool SetBreak(bool on) = 0;
    virtual bool SetDtr(bool on) = 0;
    virtual bool SetRts(bool on) = 0;
    virtual std::optional<bool> Dsr() = 0;
};

class TSerialLine : public QObject {
    Q_OBJECT
public:
    explicit TSerialLine(QObject* parent = nullptr);
    ~TSerialLine() override;

    // Opens the device with the settings text; flowIndex 0 none, 1 Xon/Xoff, 2 hardware,
    // 3 Lumo-RS (no handshaking, RTS off). On failure the port stays closed and
    // ErrorText() says why.
    bool Open(const std::string& devicePath, const std::string& portSettings, int flowIndex);
    void Close();
    bool IsOpen() const;
    const std::string& ErrorText() const { return ErrorText_; }
    // The last Open failed because the user may not open the device.
    bool PermissionDenied() const { return PermissionDenied_; }

    QByteArray ReadAvailable();
    void DiscardInput();
    bool Write(const QByteArray& bytes);

    // Modem lines; false where the device has none (a pseudo-terminal).
    bool SetBreak(bool on);
    bool SetDtr(bool on);
    bool SetRts(bool on);
    std::optional<bool> Dsr();
    // While set (not owned), the modem lines of the open port are `lines` instead of the
    // device's own; the data still goes over the device.
    void SetModemLines(TModemLines* lines) { ModemLines_ = lines; }

signals:
    void DataArrived();
    // The device went away while open (unplugged, hung up): the port has been closed and
    // ErrorText() says why.
    void LineLost();

private:
    void OnError(QSerialPort::SerialPortError error);

    QSerialPort Port_;
    std::string DevicePath_;
    std::string ErrorText_;
    bool PermissionDenied_ = false;
    TModemLines* ModemLines_ = nullptr;
};
