// A COM port that is attached but closed to the user: the search keeps it, its row and
// panel say why, and where a gauge is set up on it the user is told what to do once, not
// at every search.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "as_other_user.h"
#include "engine/dataModule.h"
#include "engineTestSupport.h"
#include "pty_pair.h"

namespace {

using tavrix::test::TempProgDir;
using tavrix::testing::PtyPair;

TEST(PortAccess, AForbiddenPortIsShownAsSuchAndToldOnce) {
    TempProgDir prog;
    PtyPair pty;
    TD d;
    d.ComPortDevices[0] = pty.slavePath();
    d.SaveProgIni();
    d.PortLister = [&] { return std::vector<tavrix::serial::PortInfo>{{1, pty.slavePath()}}; };
    // A gauge is set up on the port: that is when the user is told.
    tavrix::test::WriteFile(d.TvcFileName, "[COM_1]\r\nDeviceDescription=Lumo\r\n");
    // The other user may use the program folder, not the port.
    ::chmod(prog.dir().c_str(), 0777);
    ::chmod(ProgIniFile.c_str(), 0644);
    tavrix::testing::ForbidToOtherUser(pty.slavePath().c_str());

    const int failed = tavrix::testing::RunWithoutRootRights([&] {
        std::vector<std::string> told;
        d.OnAccessProblem = [&](const std::string& message) { told.push_back(message); };
        d.SrchDevices(true, false);
        d.ResetDevices();  // keeps the settings for the search that follows
        d.SrchDevices(true, false);
        int faults = 0;
        auto expect = [&](bool ok, const char* what) {
            if (!ok) {
                ADD_FAILURE() << what;
                ++faults;
            }
        };
        expect(d.Devices.size() == 1, "the port is a device");
        expect(d.DeviceRows.Count() == 1 &&
                   d.DeviceRows.Row(0).SubItems[SubItemState] == d.Captions.NoPermission,
               "the row says why");
        expect(!d.Devices.empty() && d.Devices[0]->FtStatusText.get() == d.Captions.NoPermission,
               "the panel's status says why");
        expect(told.size() == 1 && told[0].find(pty.slavePath()) != std::string::npos &&
                   told[0].find(d.Captions.NoPermissionAdvice) != std::string::npos,
               "told once, with the path and what to do");
        d.ResetDevices();
        return faults;
    });
    EXPECT_EQ(failed, 0);

    // A port that opens is no problem; a port that is gone is not listed.
    std::vector<std::string> names;
    d.ListComPorts(names);
    EXPECT_EQ(names, std::vector<std::string>{"COM1"});
    d.ComPortDevices[0] = prog.path("ttyGone");
    d.SaveProgIni();
    d.PortLister = [&] { return std::vector<tavrix::serial::PortInfo>{{1, prog.path("ttyGone")}}; };
    names.clear();
    d.ListComPorts(names);
    EXPECT_TRUE(names.empty());
}

}  // namespace
