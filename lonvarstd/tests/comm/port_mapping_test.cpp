// COM numbers to device paths, and the listing of the machine's lines (on a
// made-up sysfs tree: the machine's own ports are never touched).

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "prog_ini_scope.h"
#include "pty_pair.h"
#include "serial/port_listing.h"
#include "serial/port_mapping.h"
#include "serial/serial_device.h"
#include "tests/support/temp_folder.h"

namespace tavrix::serial {
namespace {

namespace fs = std::filesystem;
using tavrix::testing::ProgIniScope;
using tavrix::testing::PtyPair;

TEST(ComPortPaths, UnmappedPortsAreLegacyLinesAndTheIniOverrides) {
    ProgIniScope ini{{{3, "/dev/ttyUSB0"}, {128, "/dev/ttyACM1"}}};
    EXPECT_EQ(devicePathForPort(1), "/dev/ttyS0");
    EXPECT_EQ(devicePathForPort(2), "/dev/ttyS1");
    EXPECT_EQ(devicePathForPort(3), "/dev/ttyUSB0");
    EXPECT_EQ(devicePathForPort(4), "/dev/ttyS3");
    EXPECT_EQ(devicePathForPort(128), "/dev/ttyACM1");
    const std::map<int, std::string> expected{{3, "/dev/ttyUSB0"}, {128, "/dev/ttyACM1"}};
    EXPECT_EQ(mappedComPorts(), expected);
}

TEST(ComPortPaths, AMissingProgramIniIsNotCreatedByALookup) {
    ProgIniScope ini{{}};
    EXPECT_EQ(devicePathForPort(3), "/dev/ttyS2");
    EXPECT_TRUE(mappedComPorts().empty());
    EXPECT_FALSE(fs::exists(ini.folder() + "/LonvarStd.INI"));
}

TEST(ComPortPaths, OpenPortReachesTheMappedLine) {
    PtyPair pty;
    ProgIniScope ini{{{9, pty.slavePath()}, {10, "/dev/no-such-serial-line"}}};
    auto device = openPort(9);
    ASSERT_NE(device, nullptr);
    EXPECT_EQ(device->name(), pty.slavePath());
    EXPECT_EQ(openPort(10), nullptr);
}

class FakeSysfs {
public:
    void line(const std::string& name, bool device, const char* uartType) {
        fs::create_directories(root_ + "/" + name);
        if (device) fs::create_directories(root_ + "/" + name + "/device");
        if (uartType != nullptr) std::ofstream(root_ + "/" + name + "/type") << uartType << "\n";
    }
    const std::string& root() const { return root_; }

private:
    TempFolder scratch_;
    const std::string root_ = scratch_.path();
};

TEST(PortListing, OnlyRealLinesThatACommNumberReaches) {
    PtyPair pty;
    FakeSysfs sys;
    sys.line("ttyS0", true, "4");    // a 16550A
    sys.line("ttyS1", true, "0");    // placeholder with no UART behind it
    sys.line("ttyS2", false, "4");   // not a device
    sys.line("ttyS3", true, "4");    // COM4 is mapped elsewhere
    sys.line("ttyS10", true, "4");   // COM11
    sys.line("ttyS200", true, "4");  // beyond COM128
    sys.line("ttyUSB0", true, nullptr);
    sys.line("tty1", false, nullptr);
    const std::map<int, std::string> mapped{
        {4, pty.slavePath()}, {7, "/dev/no-such-serial-line"}, {9, sys.root() + "/ttyS0/type"}};

    const std::vector<PortInfo> expected{
        {1, "/dev/ttyS0"}, {4, pty.slavePath()}, {11, "/dev/ttyS10"}};
    EXPECT_EQ(listPortsIn(sys.root(), mapped), expected);
    EXPECT_TRUE(listPortsIn(sys.root() + "/missing", {}).empty());
}

TEST(PortListing, BenchPortsTakeTheirNumbersOver) {
    std::vector<PortInfo> ports{{1, "/dev/ttyS0"}, {4, "/dev/pts/7"}};
    mergePorts(ports, {{4, "bench:COM4"}, {2, "bench:COM2"}});
    const std::vector<PortInfo> expected{{1, "/dev/ttyS0"}, {2, "bench:COM2"}, {4, "bench:COM4"}};
    EXPECT_EQ(ports, expected);
}

}  // namespace
}  // namespace tavrix::serial
