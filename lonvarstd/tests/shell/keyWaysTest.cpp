// Which ways request keys come in, and when keys pressed in other programs reach nothing.
#include <gtest/gtest.h>

#include "shell/keyWays.h"

namespace {

using P = tPortalState;
using W = tKeyWay;

TEST(KeyWaysTest, OnWaylandOnlyThePortalOrTheDesktopsShortcutsReachEveryProgram) {
    struct tCase {
        bool wayland, hook;
        P portal;
        bool shortcuts;
        bool everyProgram;
        std::vector<W> ways;
    };
    const std::vector<tCase> cases = {
        {false, true, P::Absent, false, true, {W::Hook, W::CommandLine}},
        {false, false, P::Absent, false, false, {W::CommandLine}},
        // XWayland's hook sees only X programs' keys.
        {true, true, P::Absent, false, false, {W::HookXOnly, W::CommandLine}},
        {true, true, P::Bound, false, true, {W::HookXOnly, W::Portal, W::CommandLine}},
        {true, false, P::Asking, false, false, {W::PortalAsking, W::CommandLine}},
        {true, false, P::Refused, false, false, {W::CommandLine}},
        {true, false, P::Refused, true, true, {W::DesktopShortcuts, W::CommandLine}},
    };
    for (const tCase& c : cases) {
        tKeyWays ways;
        ways.WaylandSession = c.wayland;
        ways.Hook = c.hook;
        ways.Portal = c.portal;
        ways.DesktopShortcuts = c.shortcuts;
        EXPECT_EQ(KeysFromEveryProgram(ways), c.everyProgram) << KeyWaysLine(ways);
        EXPECT_EQ(KeyWaysOf(ways), c.ways) << KeyWaysLine(ways);
    }
}

}  // namespace
