#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <string>

#include "support/new_ini_file.h"
#include "temp_folder.h"

namespace {

constexpr int kRaised = 10;
constexpr int kNotRaised = 11;

// Runs `saveAttempt` in a child process, as an unprivileged user when the tests run
// as root (root may write into read-only folders). Returns the child's exit code.
int runInChild(const std::function<void()>& prepareChild,
               const std::function<void()>& saveAttempt) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        prepareChild();
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(2);
        try {
            saveAttempt();
        } catch (const tavrix::IniIoError&) {
            ::_exit(kRaised);
        } catch (...) {
            ::_exit(3);
        }
        ::_exit(kNotRaised);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

class IniWriteFailure : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::permissions(folder.path(), std::filesystem::perms(0755));
        writeBytes(path, original);
        std::filesystem::permissions(path, std::filesystem::perms(0644));
    }

    void expectOriginalIntactAndNoLeftovers() {
        EXPECT_EQ(readBytes(path), original);
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(folder.path())) {
            names.push_back(entry.path().filename().string());
        }
        EXPECT_EQ(names, std::vector<std::string>{"DEFAULT.TVC"});
    }

    // Loads, changes a value and saves; the error must reach the caller.
    std::function<void()> saveChange() {
        return [this] {
            tPgIniFile file(path);
            file.WriteString("S", "K", std::string(64 * 1024, 'n'));
            file.UpdateFile();
        };
    }

    TempFolder folder;
    const std::string path = folder.file("DEFAULT.TVC");
    const std::string original = "[S]\r\nK=old\r\nOther=kept\r\n";
};

TEST_F(IniWriteFailure, ReadOnlyFolderRaisesAndLeavesTheOldFile) {
    std::filesystem::permissions(folder.path(), std::filesystem::perms(0555));
    EXPECT_EQ(runInChild([] {}, saveChange()), kRaised);
    std::filesystem::permissions(folder.path(), std::filesystem::perms(0755));
    expectOriginalIntactAndNoLeftovers();
}

TEST_F(IniWriteFailure, ReadOnlyFileRaisesAndStaysUnchanged) {
    std::filesystem::permissions(folder.path(), std::filesystem::perms(0777));
    std::filesystem::permissions(path, std::filesystem::perms(0444));
    EXPECT_EQ(runInChild([] {}, saveChange()), kRaised);
    expectOriginalIntactAndNoLeftovers();
}

TEST_F(IniWriteFailure, FullDiskRaisesAndLeavesTheOldFile) {
    const auto limitFileSize = [] {
        ::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{4096, 4096};
        if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) ::_exit(4);
    };
    std::filesystem::permissions(folder.path(), std::filesystem::perms(0777));
    std::filesystem::permissions(path, std::filesystem::perms(0666));
    EXPECT_EQ(runInChild(limitFileSize, saveChange()), kRaised);
    expectOriginalIntactAndNoLeftovers();
}

TEST_F(IniWriteFailure, MissingFolderRaisesAndTheFileStaysModified) {
    tPgIniFile file(folder.file("no-such-folder/X.INI"));
    file.WriteString("S", "K", "v");
    EXPECT_THROW(file.UpdateFile(), tavrix::IniIoError);
    EXPECT_TRUE(file.Modified());
    testing::internal::CaptureStderr();
    {
        tPgIniFile released(folder.file("no-such-folder/Y.INI"));
    }  // the destructor reports instead of throwing
    EXPECT_NE(testing::internal::GetCapturedStderr().find("Y.INI"), std::string::npos);
}

TEST_F(IniWriteFailure, UnreadableFileRaisesAtCreation) {
    EXPECT_THROW(tPgIniFile{folder.path()}, tavrix::IniIoError);  // a folder is no settings file
    std::filesystem::permissions(path, std::filesystem::perms(0000));
    EXPECT_EQ(runInChild([] {}, [this] { tPgIniFile file(path); }), kRaised);
}

}  // namespace
