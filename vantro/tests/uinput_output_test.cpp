// The uinput keyboard against a recording stand-in for /dev/uinput (umockdev's ioctl
// handlers): the device set-up, and the key presses of a reading under several layouts.

#include <gtest/gtest.h>
#include <linux/uinput.h>
#include <umockdev.h>

#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "uinput_keyboard_output.h"
#include "usb_testbed.h"

namespace {

// The umockdev library has to be loaded before the process starts.
const bool kPreloaded = (tavrix::ftdiemu::reexecPreloaded(), true);

// What the kernel would have been asked: the set-up calls in order, the events written.
class TUinputRecorder {
public:
    TUinputRecorder() : Handler_(umockdev_ioctl_base_new()) {
        g_signal_connect(Handler_, "handle-ioctl", G_CALLBACK(OnIoctl), this);
        g_signal_connect(Handler_, "handle-write", G_CALLBACK(OnWrite), this);
        GError* error = nullptr;
        UMockdevTestbed* bed = tavrix::ftdiemu::Testbed::instance().get();
        // The device stays in the test bed for the process; each recorder takes its calls.
        static const bool added = umockdev_testbed_add_from_string(bed, kDevice, nullptr);
        Attached = added && umockdev_testbed_attach_ioctl(bed, "/dev/uinput", Handler_, &error);
        g_clear_error(&error);
    }
    ~TUinputRecorder() {
        UMockdevTestbed* bed = tavrix::ftdiemu::Testbed::instance().get();
        umockdev_testbed_detach_ioctl(bed, "/dev/uinput", nullptr);
        g_signal_handlers_disconnect_by_data(Handler_, this);
        g_object_unref(Handler_);
    }

    bool Attached = false;
    std::mutex Lock;
    std::vector<std::string> Calls;  // "evbit 1", "setup <name> <bus>", "create", "destroy"
    std::set<unsigned long> KeyBits;
    std::vector<input_event> Events;

private:
    static constexpr const char* kDevice =
        "P: /devices/virtual/misc/uinput\nN: uinput\nE: SUBSYSTEM=misc\n"
        "E: DEVNAME=/dev/uinput\nE: MAJOR=10\nE: MINOR=223\n";

    static gboolean OnIoctl(UMockdevIoctlBase*, UMockdevIoctlClient* client, gpointer self) {
        auto& me = *static_cast<TUinputRecorder*>(self);
        const gulong request = umockdev_ioctl_client_get_request(client);
        UMockdevIoctlData* arg = umockdev_ioctl_client_get_arg(client);
        const gulong value = *reinterpret_cast<gulong*>(arg->data);  // by value, not a pointer
        std::lock_guard<std::mutex> hold(me.Lock);
        if (request == UI_SET_EVBIT) {
            me.Calls.push_back("evbit " + std::to_string(value));
        } else if (request == UI_SET_KEYBIT) {
            me.KeyBits.insert(value);
        } else if (request == UI_DEV_SETUP) {
            UMockdevIoctlData* data =
                umockdev_ioctl_data_resolve(arg, 0, sizeof(uinput_setup), nullptr);
            const auto* setup = reinterpret_cast<const uinput_setup*>(data->data);
            me.Calls.push_back("setup " + std::string(setup->name) + " bus " +
                               std::to_string(setup->id.bustype));
        } else if (request == UI_DEV_CREATE) {
            me.Calls.push_back("create");
        } else if (request == UI_DEV_DESTROY) {
            me.Calls.push_back("destroy");
        } else {
            umockdev_ioctl_client_complete(client, -1, ENOTTY);
            return TRUE;
        }
        umockdev_ioctl_client_complete(client, 0, 0);
        return TRUE;
    }
    static gboolean OnWrite(UMockdevIoctlBase*, UMockdevIoctlClient* client, gpointer self) {
        auto& me = *static_cast<TUinputRecorder*>(self);
        UMockdevIoctlData* arg = umockdev_ioctl_client_get_arg(client);
        {
            std::lock_guard<std::mutex> hold(me.Lock);
            const auto* events = reinterpret_cast<const input_event*>(arg->data);
            const std::size_t count = std::size_t(arg->data_len) / sizeof(input_event);
            me.Events.insert(me.Events.end(), events, events + count);
            if (count > 0) me.Calls.push_back("events");
        }
        umockdev_ioctl_client_complete(client, arg->data_len, 0);
        return TRUE;
    }

    UMockdevIoctlBase* Handler_;
};

// The presses the event stream makes, as "42+13" (held modifiers, then the key); every
// key must go up again and every press must be reported by a SYN.
std::string DecodePresses(const std::vector<input_event>& events, std::string& faults) {
    std::string presses;
    std::vector<unsigned> down;
    bool unreported = false;
    for (const input_event& event : events) {
        if (event.type == EV_SYN && event.code == SYN_REPORT) {
            unreported = false;
            continue;
        }
        if (event.type != EV_KEY) {
            faults += "event type " + std::to_string(event.type) + "; ";
            continue;
        }
        unreported = true;
        const bool modifier = event.code == KEY_LEFTSHIFT || event.code == KEY_RIGHTALT;
        if (event.value == 1) {
            if (!modifier) {
                if (!presses.empty()) presses += " ";
                for (unsigned held : down) presses += std::to_string(held) + "+";
                presses += std::to_string(event.code);
            }
            down.push_back(event.code);
        } else if (event.value == 0) {
            std::erase(down, event.code);
        }
    }
    if (!down.empty()) faults += "keys left down; ";
    if (unreported) faults += "last events never reported; ";
    return presses;
}

TEST(UinputKeyboard, MakesOneFullKeyboardAtStartAndTypesEachLayoutsKeys) {
    ASSERT_TRUE(kPreloaded && tavrix::ftdiemu::preloaded());
    struct TCase {
        const char* Layout;
        const char* Presses;  // of "-{+}12,5.{ENTER}"
    };
    const TCase cases[] = {
        {"us", "12 42+13 2 3 51 6 52 28"},
        // German: minus and plus on keys of their own, no Shift.
        {"de", "53 27 2 3 51 6 52 28"},
        // French: the digits need Shift.
        {"fr", "7 42+13 42+2 42+3 50 42+6 42+51 28"},
    };
    for (const TCase& c : cases) {
        auto layout = TLayoutKeyMap::FromNames(c.Layout, "");
        ASSERT_TRUE(layout) << c.Layout;
        TUinputRecorder recorder;
        ASSERT_TRUE(recorder.Attached);
        {
            TUinputKeyboardOutput output("/dev/uinput", std::move(*layout));
            ASSERT_TRUE(output.Available()) << output.Problem();
            output.SendKeys("-{+}12,5.", false);
            output.SendKeys("{ENTER}", true);
        }
        std::lock_guard<std::mutex> hold(recorder.Lock);
        std::vector<std::string> calls;
        for (const std::string& call : recorder.Calls) {
            if (calls.empty() || call != "events" || calls.back() != "events") {
                calls.push_back(call);
            }
        }
        EXPECT_EQ(calls,
                  (std::vector<std::string>{"evbit 1", "evbit 0", "setup Vantro keyboard bus 6",
                                            "create", "events", "destroy"}))
            << c.Layout;
        for (unsigned long key :
             {KEY_ESC, KEY_LEFTSHIFT, KEY_RIGHTALT, KEY_ENTER, KEY_UP, KEY_KP0, KEY_102ND}) {
            EXPECT_TRUE(recorder.KeyBits.contains(key)) << key;
        }
        std::string faults;
        EXPECT_EQ(DecodePresses(recorder.Events, faults), c.Presses) << c.Layout;
        EXPECT_EQ(faults, "") << c.Layout;
    }
}

TEST(UinputKeyboard, AMissingDeviceIsToldAndTypesNothing) {
    auto layout = TLayoutKeyMap::FromNames("us", "");
    ASSERT_TRUE(layout);
    TUinputKeyboardOutput output("/dev/uinput-none", std::move(*layout));
    EXPECT_FALSE(output.Available());
    EXPECT_EQ(output.Problem().rfind("cannot open /dev/uinput-none: No such file", 0), 0u)
        << output.Problem();
    output.SendKeys("1.5{ENTER}", true);
}

}  // namespace
