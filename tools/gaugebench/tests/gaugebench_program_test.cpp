// The gaugebench program itself: demo set-up, the lines it prints, a clean stop.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "bench/bench_link.h"

namespace {

TEST(GaugebenchProgram, DemoStartsPrintsItsSocketAndStopsCleanly) {
    const std::string socket = "/tmp/tavrix-bench-program-" + std::to_string(getpid()) + ".sock";
    int out[2];
    ASSERT_EQ(pipe(out), 0);
    pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        dup2(out[1], 1);
        close(out[0]);
        execl(GAUGEBENCH_EXE, GAUGEBENCH_EXE, "--socket", socket.c_str(), (char*)nullptr);
        _exit(127);
    }
    close(out[1]);
    FILE* f = fdopen(out[0], "r");
    std::string printed;
    char line[512];
    while (printed.find("export TAVRIX_BENCH=") == std::string::npos && fgets(line, sizeof line, f))
        printed += line;
    EXPECT_NE(printed.find("export TAVRIX_BENCH=" + socket), std::string::npos) << printed;

    auto link = tavrix::bench::BenchLink::connect(socket);
    ASSERT_TRUE(link);
    tavrix::bench::Reply r;
    ASSERT_TRUE(link->call("ft-count", r));
    EXPECT_EQ(r.text, "2");
    ASSERT_TRUE(link->call("ft-desc 0", r));
    EXPECT_EQ(r.text, "\"Lumo\"");
    ASSERT_TRUE(link->call("ports", r));
    ASSERT_EQ(r.lines.size(), 1u);
    EXPECT_EQ(r.lines[0], "COM1");

    kill(pid, SIGTERM);
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    struct stat st {};
    EXPECT_NE(lstat(socket.c_str(), &st), 0);  // the socket file is gone
    fclose(f);
}

}  // namespace
