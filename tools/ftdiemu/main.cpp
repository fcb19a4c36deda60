// ftdiemu: try a USB gauge without the cable. Emulates FT232R cables at their
// USB device files and runs a command on them, which sees them through the real
// libusb and libftdi1:
//
//   ftdiemu --gauge LU000001:Lumo --switch TV000001:TV-I --com ttyS0 -- ./LonvarStd
//
// Without a command it prints the environment a program needs to see the cables
// and "ready". In both cases it takes commands on stdin, one per line:
//   unplug N | plug N | press N | release N | edges N | send N TEXT
// (N counts the cables from 1 in the order given). A port given with --com
// (a node below /dev) has a gauge that answers a DTR pulse too.

#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "emulated_ft232r.h"
#include "emulated_serial_port.h"
#include "usb_testbed.h"

namespace {

using tavrix::ftdiemu::CableIdentity;
using tavrix::ftdiemu::EmulatedFt232r;

pid_t child = -1;

void forward(int signal) {
    if (child > 0) ::kill(child, signal);
}

int usage() {
    std::fprintf(stderr,
                 "usage: ftdiemu [--gauge SERIAL:DESC] [--switch SERIAL:DESC] "
                 "[--com NAME] [--pid HEX] [--delay MS] [-- COMMAND ARGS...]\n");
    return 2;
}

void control(std::vector<std::unique_ptr<EmulatedFt232r>>& cables) {
    for (std::string line; std::getline(std::cin, line);) {
        std::istringstream in(line);
        std::string cmd;
        std::size_t n = 0;
        in >> cmd >> n;
        if (cmd.empty()) continue;
        if (n < 1 || n > cables.size()) {
            std::printf("ERR no cable %zu\n", n);
            std::fflush(stdout);
            continue;
        }
        EmulatedFt232r& c = *cables[n - 1];
        if (cmd == "unplug")
            c.unplug();
        else if (cmd == "plug")
            c.plug();
        else if (cmd == "press")
            c.press();
        else if (cmd == "release")
            c.release();
        else if (cmd == "send") {
            std::string text;
            std::getline(in >> std::ws, text);
            c.send(text + "\r");
        } else if (cmd == "edges") {
            for (const auto& e : c.edges())
                std::printf("%lld %s %d\n", static_cast<long long>(e.atMs), e.dtr ? "dtr" : "rts",
                            e.high ? 1 : 0);
        } else {
            std::printf("ERR unknown command\n");
            std::fflush(stdout);
            continue;
        }
        std::printf("OK\n");
        std::fflush(stdout);
    }
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::unique_ptr<EmulatedFt232r>> cables;
    std::uint16_t product = 0x6001;
    int delayMs = 30;
    int i = 1;
    struct Wanted {
        std::string serial, description;
        bool gauge;
    };
    std::vector<Wanted> wanted;
    std::vector<std::string> ports;
    for (; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--") {
            ++i;
            break;
        }
        if (i + 1 >= argc) return usage();
        const std::string v = argv[++i];
        if (a == "--gauge" || a == "--switch") {
            const auto colon = v.find(':');
            if (colon == std::string::npos) return usage();
            wanted.push_back({v.substr(0, colon), v.substr(colon + 1), a == "--gauge"});
        } else if (a == "--com") {
            ports.push_back(v);
        } else if (a == "--pid") {
            product = static_cast<std::uint16_t>(std::strtoul(v.c_str(), nullptr, 16));
        } else if (a == "--delay") {
            delayMs = std::atoi(v.c_str());
        } else {
            return usage();
        }
    }
    if (wanted.empty() && ports.empty()) wanted.push_back({"LU000001", "Lumo", true});

    tavrix::ftdiemu::Testbed& bed = tavrix::ftdiemu::Testbed::instance();
    int address = 2;
    for (const Wanted& w : wanted) {
        CableIdentity id;
        id.address = address++;
        id.product = product;
        id.serial = w.serial;
        id.description = w.description;
        auto cable = std::make_unique<EmulatedFt232r>(id);
        if (w.gauge) {
            tavrix::gaugebench::SimulatedGauge g;
            g.delayMs = delayMs;
            g.vary = true;
            cable->setGauge(g);
        }
        cables.push_back(std::move(cable));
    }
    std::vector<std::unique_ptr<tavrix::ftdiemu::EmulatedSerialPort>> serialPorts;
    for (const std::string& name : ports) {
        auto port = std::make_unique<tavrix::ftdiemu::EmulatedSerialPort>(name);
        tavrix::gaugebench::SimulatedGauge g;
        g.answer = "+0002.2222 mm\r";
        g.delayMs = delayMs + 10;
        g.vary = true;
        port->setGauge(g);
        serialPorts.push_back(std::move(port));
    }
    const std::string preload = tavrix::ftdiemu::preloadList();
    if (i >= argc) {
        std::printf("UMOCKDEV_DIR=%s\nLD_PRELOAD=%s\nready\n", bed.rootDir().c_str(),
                    preload.c_str());
        std::fflush(stdout);
        control(cables);
        return 0;
    }
    child = fork();
    if (child == 0) {
        // The command ends with us, however we end.
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        setenv("LD_PRELOAD", preload.c_str(), 1);
        execvp(argv[i], argv + i);
        std::perror(argv[i]);
        _exit(127);
    }
    // A stop meant for us is meant for the command: it ends, then we do.
    std::signal(SIGTERM, forward);
    std::signal(SIGINT, forward);
    std::signal(SIGHUP, forward);
    std::thread(control, std::ref(cables)).detach();
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    std::_Exit(WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status));
}
