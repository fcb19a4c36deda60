#include "serial_line.h"

#include "system_ports.h"

#include <sys/stat.h>
#include <sys/sysmacros.h>

namespace {

// Unix98 pseudo-terminal slaves (majors 136 to 143) carry bytes without framing, and
// their driver refuses data bits and parity other than 8 and none.
bool IsPseudoTerminal(const std::string& devicePath) {
    struct stat info {};
    if (stat(devicePath.c_str(), &info) != 0 || !S_ISCHR(info.st_mode)) return false;
    const unsigned majorNumber = major(info.st_rdev);
    return majorNumber >= 136 && majorNumber <= 143;
}

}  // namespace

TSerialLine::TSerialLine(QObject* parent) : QObject(parent) {
    connect(&Port_, &QSerialPort::readyRead, this, &TSerialLine::DataArrived);
    // A vanished device keeps reporting itself readable and failing: left open, it would
    // spin the event loop and look alive. Closed later, not inside the failing read.
    connect(&Port_, &QSerialPort::errorOccurred, this, &TSerialLine::OnError, Qt::QueuedConnection);
}

void TSerialLine::OnError(QSerialPort::SerialPortError) {
    // The port's present state decides: a report queued before a reopening is stale.
    const QSerialPort::SerialPortError error = Port_.error();
    if (error != QSerialPort::ResourceError && error != QSerialPort::ReadError) return;
    if (!Port_.isOpen()) return;
    ErrorText_ = DevicePath_ + ": " + Port_.errorString().toStdString();
    Close();
    emit LineLost();
}

TSerialLine::~TSerialLine() {
    Close();
}

bool TSerialLine::Open(const std::string& devicePath, const std::string& portSettings,
                       int flowIndex) {
    ErrorText_.clear();
    PermissionDenied_ = false;
    if (Port_.isOpen()) Port_.close();
    if (devicePath.empty()) {
        ErrorText_ = "No serial device is mapped to this port";
        return false;
    }
    const TDecodedLine line = DecodePortSettings(portSettings);
    if (!line.Ok) {
        ErrorText_ = line.Error;
        return false;
    }
    DevicePath_ = devicePath;
    Port_.setPortName(QString::fromStdString(devicePath));
    if (!Port_.open(QIODevice::ReadWrite)) {
        ErrorText_ = devicePath + ": " + Port_.errorString().toStdString();
        PermissionDenied_ =
            Port_.error() == QSerialPort::PermissionError &&
            serial_ports::AccessOf(devicePath) == serial_ports::PortAccess::NoPermission;
        Port_.clearError();
        return false;
    }
    QSerialPort::Parity parity = QSerialPort::EvenParity;
    switch (line.Parity) {
        case 'N':
            parity = QSerialPort::NoParity;
            break;
        case 'O':
            parity = QSerialPort::OddParity;
            break;
        case 'M':
            parity = QSerialPort::MarkParity;
            break;
        case 'S':
            parity = QSerialPort::SpaceParity;
            break;
        default:
            break;
    }
    // termios has no 1.5 stop bits: with 5 data bits the two-stop-bit setting gives 1.5.
    const QSerialPort::StopBits stopBits =
        line.StopBitsTenths == 10 ? QSerialPort::OneStop : QSerialPort::TwoStop;
    QSerialPort::FlowControl flow = QSerialPort::NoFlowControl;
    if (flowIndex == 1) flow = QSerialPort::SoftwareControl;
    if (flowIndex == 2) flow = QSerialPort::HardwareControl;

    bool configured = Port_.setBaudRate(line.Baud);
    const bool framed = Port_.setDataBits(static_cast<QSerialPort::DataBits>(line.DataBits)) &&
                        Port_.setParity(parity);
    if (!framed && IsPseudoTerminal(devicePath)) Port_.clearError();
    configured = configured && (framed || IsPseudoTerminal(devicePath)) &&
                 Port_.setStopBits(stopBits) && Port_.setFlowControl(flow);
    if (!configured) {
        ErrorText_ = devicePath + ": " + Port_.errorString().toStdString();
        Port_.close();
        Port_.clearError();
        return false;
    }
    // Modem lines: a pseudo-terminal has none, which is no reason to refuse the port.
    SetDtr(true);
    if (flowIndex >= 0 && flowIndex <= 1) SetRts(true);
    if (flowIndex == 3) SetRts(false);
    Port_.clear(QSerialPort::Input);
    Port_.clearError();
    return true;
}

void TSerialLine::Close() {
    if (Port_.isOpen()) Port_.close();
    Port_.clearError();
}

bool TSerialLine::IsOpen() const {
    return Port_.isOpen();
}

QByteArray TSerialLine::ReadAvailable() {
    return Port_.isOpen() ? Port_.readAll() : QByteArray();
}

void TSerialLine::DiscardInput() {
    if (!Port_.isOpen()) return;
    Port_.readAll();
    Port_.clear(QSerialPort::Input);
    Port_.clearError();
}

bool TSerialLine::Write(const QByteArray& bytes) {
    if (!Port_.isOpen()) return false;
    const bool written = Port_.write(bytes) == bytes.size();
    Port_.flush();
    return written;
}

bool TSerialLine::SetBreak(bool on) {
    if (ModemLines_ != nullptr) return Port_.isOpen() && ModemLines_->SetBreak(on);
    const bool ok = Port_.isOpen() && Port_.setBreakEnabled(on);
    Port_.clearError();
    return ok;
}

bool TSerialLine::SetDtr(bool on) {
    if (ModemLines_ != nullptr) return Port_.isOpen() && ModemLines_->SetDtr(on);
    const bool ok = Port_.isOpen() && Port_.setDataTerminalReady(on);
    Port_.clearError();
    return ok;
}

bool TSerialLine::SetRts(bool on) {
    if (ModemLines_ != nullptr) return Port_.isOpen() && ModemLines_->SetRts(on);
    const bool ok = Port_.isOpen() && Port_.setRequestToSend(on);
    Port_.clearError();
    return ok;
}

std::optional<bool> TSerialLine::Dsr() {
    if (!Port_.isOpen()) return std::nullopt;
    if (ModemLines_ != nullptr) return ModemLines_->Dsr();
    const QSerialPort::PinoutSignals pins = Port_.pinoutSignals();
    if (Port_.error() != QSerialPort::NoError) {
        Port_.clearError();
        return std::nullopt;
    }
    return pins.testFlag(QSerialPort::DataSetReadySignal);
}
