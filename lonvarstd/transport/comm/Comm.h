#pragma once
// TComm: a COM port as a non-visual component. Every operation blocks on the
// caller's thread; reception is polled one character at a time. Errors go to
// OnError with a German or English text; a failed read or write to OnTimeout.
// One thread at a time uses an instance (it has no lock).

#include <QObject>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "transport/comm/comm_errors.h"
#include "transport/comm/comm_types.h"

namespace tavrix::serial {
class SerialDevice;
}

class TComm : public QObject {
public:
    using TNotifyEvent = std::function<void(TComm* Sender)>;
    using TNotifyCommError =
        std::function<void(TComm* Sender, std::int32_t ComError, const std::string& ComErrorText)>;
    using TNotifyEventEvent = std::function<void(TComm* Sender, const TCommEvents& CommEvent)>;
    using TNotifyReceiveEvent = std::function<void(TComm* Sender)>;

    explicit TComm(QObject* Owner = nullptr);
    // Closes the port; like Close, a port that is not open raises error 2.
    ~TComm() override;

    TComm(const TComm&) = delete;
    TComm& operator=(const TComm&) = delete;

    // Opens COM port Port with the current settings, closing an open port
    // first. False after errors 11 and 3 when the port cannot be opened.
    bool Open();
    // Releases the port; error 2 if it is not open.
    void Close();
    // Writes Text in one write bounded by OutputTimeout per byte; the bytes
    // written (0 when not open or the write failed, which raises OnTimeout).
    std::int32_t WriteText(const std::string& Text);
    // Reads one character within EnterTimeout (0: until one comes). False on
    // time-out, on a closed port, and on a failed read (which raises OnTimeout).
    bool ReadChar(char& Ch);
    // Drops the characters received and not yet read (not those arriving meanwhile);
    // the count dropped.
    std::size_t DiscardInput();
    // Rests until a character can be read, WakeFd (-1: none) turns readable, or
    // TimeoutMs passed; true when characters (or the failure of a line that went
    // away) wait for ReadChar. A closed or vanished port only rests, so its reader
    // never spins.
    bool WaitForInput(int WakeFd, std::int32_t TimeoutMs);
    // Switch the modem outputs at once; false on a closed port or a line
    // without them.
    bool SetDTR(bool Level);
    bool SetRTS(bool Level);

    bool IsOpen() const { return isOpen_; }
    std::int32_t ErrorCode() const { return errorCode_; }
    const std::string& ErrorText() const { return errorText_; }
    std::uint32_t EventMask() const { return eventMask_; }
    bool TimedOut() const { return timedOut_; }

    // Port numbers run from 1 to 128; 0 is taken as 1, above 128 as 128.
    std::uint16_t Port() const { return port_; }
    void SetPort(std::uint16_t Value);
    TBaudrate Baudrate() const { return baudrate_; }
    void SetBaudrate(TBaudrate Value) { baudrate_ = Value; }
    // Milliseconds one character may take to come; 0 waits for ever, a
    // negative value is ignored.
    std::int32_t EnterTimeout() const { return enterTimeout_; }
    void SetEnterTimeout(std::int32_t Value);
    // Milliseconds allowed per byte sent; 0 or a negative value is ignored.
    std::int32_t OutputTimeout() const { return outputTimeout_; }
    void SetOutputTimeout(std::int32_t Value);
    TByteSize ByteSize() const { return byteSize_; }
    void SetByteSize(TByteSize Value) { byteSize_ = Value; }
    TStopBits StopBits() const { return stopBits_; }
    void SetStopBits(TStopBits Value) { stopBits_ = Value; }
    TParity Parity() const { return parity_; }
    void SetParity(TParity Value) { parity_ = Value; }
    // End-of-text character, kept for the users of the component.
    std::uint8_t EOT() const { return eot_; }
    void SetEOT(std::uint8_t Value) { eot_ = Value; }
    bool NullDel() const { return nullDel_; }
    void SetNullDel(bool Value) { nullDel_ = Value; }
    bool ParityCheck() const { return parityCheck_; }
    void SetParityCheck(bool Value) { parityCheck_ = Value; }
    bool UseCTS() const { return useCTS_; }
    void SetUseCTS(bool Value) { useCTS_ = Value; }
    bool UseDSR() const { return useDSR_; }
    void SetUseDSR(bool Value) { useDSR_ = Value; }
    bool UseDTR() const { return useDTR_; }
    void SetUseDTR(bool Value) { useDTR_ = Value; }
    bool UseRTS() const { return useRTS_; }
    void SetUseRTS(bool Value) { useRTS_ = Value; }
    bool XOnXOffIn() const { return xOnXOffIn_; }
    void SetXOnXOffIn(bool Value) { xOnXOffIn_ = Value; }
    bool XOnXOffOut() const { return xOnXOffOut_; }
    void SetXOnXOffOut(bool Value) { xOnXOffOut_ = Value; }
    TLanguage Language() const { return language_; }
    void SetLanguage(TLanguage Value) { language_ = Value; }
    std::int32_t BufferInSize() const { return bufferInSize_; }
    void SetBufferInSize(std::int32_t Value) { bufferInSize_ = Value; }
    std::int32_t BufferOutSize() const { return bufferOutSize_; }
    void SetBufferOutSize(std::int32_t Value) { bufferOutSize_ = Value; }
    const TCommEvents& Events() const { return events_; }
    void SetEvents(const TCommEvents& Value);

    TNotifyEvent OnTimeout;
    TNotifyCommError OnError;
    TNotifyEventEvent OnEvent;      // never raised: no operation waits for port events
    TNotifyReceiveEvent OnReceive;  // never raised: reception is polled

private:
    void RaiseError(std::int32_t code);
    void RaiseTimeout();
    void ReleasePort();

    std::unique_ptr<tavrix::serial::SerialDevice> device_;
    bool isOpen_ = false;
    std::int32_t errorCode_ = 0;
    std::string errorText_;
    std::uint32_t eventMask_ = 0;
    bool timedOut_ = false;

    std::uint16_t port_ = 1;
    TBaudrate baudrate_ = bd_9600;
    std::int32_t enterTimeout_ = 1000;
    std::int32_t outputTimeout_ = 1000;
    TByteSize byteSize_ = bs_8;
    TStopBits stopBits_ = sb_1;
    TParity parity_ = none;
    std::uint8_t eot_ = 13;
    bool nullDel_ = false;
    bool parityCheck_ = false;
    bool useCTS_ = false;
    bool useDSR_ = false;
    bool useDTR_ = false;
    bool useRTS_ = false;
    bool xOnXOffIn_ = false;
    bool xOnXOffOut_ = false;
    TLanguage language_ = German;
    std::int32_t bufferInSize_ = 1024;
    std::int32_t bufferOutSize_ = 1024;
    TCommEvents events_;
};
