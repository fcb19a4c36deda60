// The system's serial ports with their stable names, on made-up /dev, by-id and sysfs
// folders whose device nodes are pseudo-terminals.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>

#include "as_other_user.h"
#include "port_folders.h"
#include "pty_pair.h"
#include "system_ports.h"
#include "tests/support/temp_folder.h"

namespace serial_ports {
namespace {

namespace fs = std::filesystem;
using tavrix::testing::PtyPair;

class SystemPortsTest : public ::testing::Test {
protected:
    static void Link(const std::string& link, const std::string& target) {
        tavrix::testing::PortFolders::Link(link, target);
    }
    std::string Real(const std::string& path) { return fs::canonical(path).string(); }

    TempFolder scratch_;
    const std::string root_ = scratch_.path();
    tavrix::testing::PortFolders folders{root_};
};

TEST_F(SystemPortsTest, AByIdNameIsStoredAndFindsTheAdapterAgainUnderItsNewNumber) {
    const std::string link = folders.byId + "/usb-Lumo_Gauge_Cable_LC12345-if00-port0";
    std::string stored;
    {
        PtyPair first;
        Link(link, first.slavePath());
        const auto ports = ListSystemPorts(folders);
        ASSERT_EQ(ports.size(), 1u);
        EXPECT_EQ(ports[0],
                  (SystemPort{Real(first.slavePath()), link, "Lumo Gauge Cable LC12345"}));
        stored = ports[0].StoredName();
        EXPECT_EQ(stored, link);
    }
    // Re-plugged: the kernel gives another number, udev moves the link.
    PtyPair holder;  // keeps the old number taken
    PtyPair second;
    Link(link, second.slavePath());
    const auto ports = ListSystemPorts(folders);
    ASSERT_EQ(FindStoredPort(ports, stored), 0);
    EXPECT_EQ(ports[0].device, Real(second.slavePath()));
    // Unplugged: the link dangles or goes, and the stored port is not attached.
    fs::remove(link);
    EXPECT_TRUE(ListSystemPorts(folders).empty());
    EXPECT_EQ(FindStoredPort(ListSystemPorts(folders), stored), -1);
    EXPECT_EQ(FindStoredPort(ports, ""), -1);
}

TEST_F(SystemPortsTest, SysfsLinesCarryTheirAdapterAndLegacyPlaceholdersAreLeftOut) {
    PtyPair uart, usb, acmPty;
    auto line = [&](const std::string& name, const std::string& deviceFolder) {
        fs::create_directories(folders.sysClassTty + "/" + name);
        if (!deviceFolder.empty()) {
            fs::create_directories(deviceFolder);
            fs::create_directory_symlink(deviceFolder,
                                         folders.sysClassTty + "/" + name + "/device");
        }
    };
    const std::string usbDevice = root_ + "/sys/devices/usb1/1-1";
    line("ttyS0", root_ + "/sys/devices/serial8250/ttyS0");
    std::ofstream(folders.sysClassTty + "/ttyS0/type") << "4\n";
    line("ttyS1", root_ + "/sys/devices/serial8250/ttyS1");
    std::ofstream(folders.sysClassTty + "/ttyS1/type") << "0\n";  // no UART: a placeholder
    line("ttyUSB0", usbDevice + "/1-1:1.0/ttyUSB0");
    std::ofstream(usbDevice + "/product") << "FT232R USB UART\n";
    std::ofstream(usbDevice + "/manufacturer") << "FTDI\n";
    line("ttyACM0", root_ + "/sys/devices/usb1/1-2/1-2:1.0");  // no device node: not attached
    line("lp0", root_ + "/sys/devices/lp0");
    Link(folders.dev + "/ttyS0", uart.slavePath());
    Link(folders.dev + "/ttyS1", acmPty.slavePath());
    Link(folders.dev + "/ttyUSB0", usb.slavePath());
    const std::string byId = folders.byId + "/usb-FTDI_FT232R_USB_UART_A9XYZ-if00-port0";
    Link(byId, folders.dev + "/ttyUSB0");

    const std::vector<SystemPort> expected{
        {folders.dev + "/ttyS0", "", "built-in serial port"},
        {folders.dev + "/ttyUSB0", byId, "FT232R USB UART (FTDI)"},
    };
    EXPECT_EQ(ListSystemPorts(folders), expected);
    EXPECT_EQ(FindStoredPort(expected, folders.dev + "/ttyUSB0"), 1);
}

TEST_F(SystemPortsTest, AccessTellsAForbiddenDeviceFromAMissingOne) {
    PtyPair pty;
    EXPECT_EQ(AccessOf(pty.slavePath()), PortAccess::Usable);
    EXPECT_EQ(AccessOf(root_ + "/dev/ttyUSB7"), PortAccess::Missing);
    tavrix::testing::ForbidToOtherUser(pty.slavePath().c_str());
    const std::string path = pty.slavePath();
    EXPECT_EQ(tavrix::testing::RunWithoutRootRights(
                  [&] { return AccessOf(path) == PortAccess::NoPermission ? 0 : 1; }),
              0);
}

}  // namespace
}  // namespace serial_ports
