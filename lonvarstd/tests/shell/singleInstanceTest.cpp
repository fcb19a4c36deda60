// One instance per user: a second start is refused and raises the first; a lock and a
// socket left by an instance killed outright do not block the next start. A request from
// the command line with no instance or a wrong key is refused and says why.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QTest>
#include <cstring>
#include <filesystem>
#include <string>

#include "engineTestSupport.h"
#include "shell/SingleInstance.h"
#include "shell/requestCommand.h"

namespace {

using tavrix::test::TempProgDir;

TEST(SingleInstanceTest, ASecondStartIsRefusedAndAsksTheFirstToComeToTheFront) {
    TempProgDir folder;
    tSingleInstance first("LonvarStd", QString::fromStdString(folder.dir()));
    int raised = 0;
    QObject::connect(&first, &tSingleInstance::RaiseRequested, [&] { ++raised; });
    ASSERT_TRUE(first.Acquire());

    {
        tSingleInstance second("LonvarStd", QString::fromStdString(folder.dir()));
        EXPECT_FALSE(second.Acquire());
    }
    EXPECT_TRUE(QTest::qWaitFor([&] { return raised == 1; }, 10000));

    // Another program's name is another instance.
    tSingleInstance other("OtherProgram", QString::fromStdString(folder.dir()));
    EXPECT_TRUE(other.Acquire());
}

TEST(SingleInstanceTest, ALockAndSocketLeftByAKilledInstanceDoNotBlockTheNextStart) {
    TempProgDir folder;
    tSingleInstance probe("LonvarStd", QString::fromStdString(folder.dir()));
    const std::string lockPath = probe.LockPath().toStdString();
    const std::string socketPath = probe.SocketPath().toStdString();

    // A first instance holds the lock and listens, then is killed with SIGKILL.
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const int fd = open(lockPath.c_str(), O_RDWR | O_CREAT, 0600);
        const int server = socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, socketPath.c_str(), sizeof address.sun_path - 1);
        if (fd < 0 || flock(fd, LOCK_EX) != 0 || server < 0 ||
            bind(server, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
            listen(server, 1) != 0) {
            _exit(1);
        }
        [[maybe_unused]] const ssize_t written = write(ready[1], "x", 1);
        pause();
        _exit(0);
    }
    close(ready[1]);
    char byte = 0;
    ASSERT_EQ(read(ready[0], &byte, 1), 1);
    close(ready[0]);
    {
        tSingleInstance whileItRuns("LonvarStd", QString::fromStdString(folder.dir()));
        EXPECT_FALSE(whileItRuns.Acquire());
    }
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    ASSERT_TRUE(std::filesystem::exists(lockPath));
    ASSERT_TRUE(std::filesystem::exists(socketPath));

    tSingleInstance next("LonvarStd", QString::fromStdString(folder.dir()));
    EXPECT_TRUE(next.Acquire());
    int raised = 0;
    QObject::connect(&next, &tSingleInstance::RaiseRequested, [&] { ++raised; });
    {
        tSingleInstance later("LonvarStd", QString::fromStdString(folder.dir()));
        EXPECT_FALSE(later.Acquire());
    }
    EXPECT_TRUE(QTest::qWaitFor([&] { return raised == 1; }, 10000))
        << "the stale socket was replaced";
}

TEST(SingleInstanceTest, ARequestWithNoInstanceOrAWrongKeyIsRefusedAndSaysWhy) {
    TempProgDir folder;
    const std::string socket = folder.dir() + "/LonvarStd";
    // A socket file left by an instance killed outright: nobody listens on it.
    const std::string stale = folder.dir() + "/Stale";
    const int leftOver = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, stale.c_str(), sizeof address.sun_path - 1);
    ASSERT_EQ(bind(leftOver, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    close(leftOver);

    const std::string valid = "valid keys: F1, F2, F3, F4, F5, F6, F7, F8, F9, F10, F11, F12";
    struct tCase {
        std::string socket;
        std::string key;
        tRequestExit exit;
        std::string told;
    };
    const std::vector<tCase> cases = {
        {socket, "F2", RequestNoInstance, "not running"},
        {stale, "f12", RequestNoInstance, "not running"},
        {socket, "F13", RequestBadKey, valid},
        {socket, "F0", RequestBadKey, valid},
        {socket, "Enter", RequestBadKey, valid},
        {socket, "", RequestBadKey, valid},
        {socket, "F2 ", RequestBadKey, valid},
    };
    for (const tCase& c : cases) {
        std::string message;
        EXPECT_EQ(SendKeyRequest(c.socket, c.key, message), c.exit) << c.key;
        EXPECT_NE(message.find(c.told), std::string::npos) << c.key << ": " << message;
    }
}

}  // namespace
