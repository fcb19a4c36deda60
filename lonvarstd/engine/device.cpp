#include "engine/device.h"

#include <algorithm>
#include <limits>

#include "engine/dataModule.h"
#include "support/tick_count.h"

tDevice::tDevice(TD& owner, std::uint8_t connection, void* portObject, int itemIdx, int devIdx)
    : CreatedTick(owner.Now()),
      Connection(connection),
      DevIdx(devIdx),
      ItemIdx(itemIdx),
      owner_(owner) {
    if (connection == ConnectionRs232) {
        Rs232 = static_cast<tRS232_Device*>(portObject);
        if (Rs232) Rs232->DevIdx = devIdx;
        if (!owner.Rs232Descrs.empty()) Descr = owner.Rs232Descrs[0].get();
    } else if (connection == ConnectionUsb) {
        Ft = static_cast<tFT_Device*>(portObject);
        if (Ft) {
            DescrText = Ft->Description;
            Ft->DevIdx = devIdx;
        }
        if (!owner.UsbDescrs.empty()) Descr = owner.UsbDescrs[0].get();
    }
}

tDevice::~tDevice() = default;

void tDevice::Post(std::uint32_t msg, std::int64_t wParam) {
    // Held while posting, so that Mute cannot slip in between the check and the post.
    std::lock_guard lock(postMutex_);
    if (!muted_) owner_.PostMsg(msg, wParam, DevIdx);
}

void tDevice::Mute() {
    std::lock_guard lock(postMutex_);
    muted_ = true;
}

std::int32_t tDevice::TimerPeriodMs() const {
    return TimerPeriodFor(AnforderTicksTimer.load(), Descr);
}

std::int32_t tDevice::TimerPeriodFor(std::int64_t ms, const tDeviceDescr* descr) {
    constexpr std::int64_t kMinTimerPeriodMs = 1000;
    const std::int64_t answerTimeout = descr != nullptr ? descr->AnswerTimeout : 0;
    const std::int64_t period = std::max({ms, kMinTimerPeriodMs, answerTimeout});
    return static_cast<std::int32_t>(
        std::min<std::int64_t>(period, std::numeric_limits<std::int32_t>::max()));
}

std::string tDevice::GetPortName() const {
    if (Connection == ConnectionUsb && Ft) return "USB" + std::to_string(Ft->Index + 1);
    if (Connection == ConnectionRs232 && Rs232) return "COM" + std::to_string(Rs232->Comm->Port());
    return "...";
}

std::string tDevice::GetSerNr() const {
    if (Connection == ConnectionUsb && Ft) return Ft->SerialNo;
    return "...";
}

std::string tDevice::GetId() const {
    if (Connection == ConnectionUsb) return GetSerNr();
    if (Connection == ConnectionRs232) return GetPortName();
    return "-";
}

std::string tDevice::GetSectionName() const {
    if (Connection == ConnectionRs232 && Rs232) {
        return "COM_" + std::to_string(Rs232->Comm->Port());
    }
    if (Connection == ConnectionUsb && Ft) {
        return (Descr ? Descr->Caption : std::string("UNDEF")) + " " + Ft->SerialNo;
    }
    return "UNDEF-DEVICE";
}

void tDevice::AppendValue(const std::string& value) {
    std::lock_guard lock(valuesMutex_);
    values_.push_back(value);
}

std::string tDevice::GetFirstValue() const {
    std::lock_guard lock(valuesMutex_);
    return values_.empty() ? std::string() : values_.front();
}

void tDevice::DropFirstValue() {
    std::lock_guard lock(valuesMutex_);
    if (!values_.empty()) values_.pop_front();
}

std::size_t tDevice::ValueCount() const {
    std::lock_guard lock(valuesMutex_);
    return values_.size();
}
