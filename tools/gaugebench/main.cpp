// gaugebench: simulated gauge cables and COM ports for trying the program
// without hardware. Prints the socket and the environment line to use, then
// serves until interrupted.

#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>

#include "bench_server.h"
#include "gauge_bench.h"

namespace {

tavrix::gaugebench::BenchServer* g_server = nullptr;

void onSignal(int) {
    if (g_server) g_server->stop();
}

void usage() {
    std::puts(
        "usage: gaugebench [--demo | --empty] [--socket PATH]\n"
        "  --demo    a Lumo gauge cable, a TV-I switch cable and a gauge on COM1 (default)\n"
        "  --empty   no cables and no ports; add them through the socket\n"
        "  --socket  where to listen (default $XDG_RUNTIME_DIR/tavrix-bench.sock)\n"
        "Drive it with: socat - UNIX-CONNECT:PATH   then type 'help'.");
}

}  // namespace

int main(int argc, char** argv) {
    std::string path = tavrix::gaugebench::defaultSocketPath();
    bool demo = true;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--demo") {
            demo = true;
        } else if (a == "--empty") {
            demo = false;
        } else if (a == "--socket" && i + 1 < argc) {
            path = argv[++i];
        } else {
            usage();
            return a == "--help" || a == "-h" ? 0 : 2;
        }
    }
    tavrix::gaugebench::BenchServer server(path);
    std::string error;
    if (!server.listen(error)) {
        std::fprintf(stderr, "gaugebench: %s\n", error.c_str());
        return 1;
    }
    g_server = &server;
    struct sigaction sa {};
    sa.sa_handler = onSignal;
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    if (demo) server.preload(tavrix::gaugebench::demoSetup());
    std::printf("gauge bench listening on %s\n", path.c_str());
    std::printf("export TAVRIX_BENCH=%s\n", path.c_str());
    std::fflush(stdout);
    server.run();
    g_server = nullptr;
    std::puts("gauge bench stopped");
    return 0;
}
