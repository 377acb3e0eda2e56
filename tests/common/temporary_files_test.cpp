// The program's temporary files among a user's own and another user's files: which ones the
// sweep removes, what a hard kill leaves for the next write into the folder, the permissions a
// replaced file gets, and names drawn afresh in each process.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "common/safe_write.h"
#include "common/temporary_names.h"

namespace zembera {
namespace {

namespace fs = std::filesystem;

constexpr uid_t kOtherUser = 65534;

// Runs `work` in a child process and returns its exit code.
int inChild(const std::function<int()>& work) {
    const pid_t child = ::fork();
    if (child == 0) ::_exit(work());
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

pid_t goneProcess() {
    const pid_t gone = ::fork();
    if (gone == 0) ::_exit(0);
    ::waitpid(gone, nullptr, 0);
    return gone;
}

std::vector<std::string> namesIn(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

class TemporaryFilesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dir = fs::temp_directory_path() / ("zembera_temporary_" + std::to_string(::getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir);
        ::chmod(dir.c_str(), 0777); // open to everybody, not sticky
    }
    void TearDown() override { fs::remove_all(dir); }
    fs::path dir;
};

// Only the exact names the program makes, of this user, of a process gone, from before the
// sweeping process started, are removed.
TEST_F(TemporaryFilesTest, TheSweepRemovesOnlyItsOwnStaleFiles) {
    const std::string dead = std::to_string(goneProcess()), hex = "0123456789abcdef";
    const bool root = ::geteuid() == 0;
    struct Case {
        std::string name;
        char kind; // f file, l link, d folder, o file of another user, n file made after start
        bool removed;
    };
    const std::vector<Case> cases{
        {".~zembera-" + dead + "-" + hex, 'f', true},
        {".~zembera-" + dead + "-0000000000000000", 'f', true},
        {".~0123456789ab", 'f', false}, // another program's (or an old) name
        {".~zembera-" + dead + "-0123456789ABCDEF", 'f', false},
        {".~zembera-" + dead + "-0123456789abcde", 'f', false},
        {".~zembera-" + dead + "-0123456789abcdef0", 'f', false},
        {".~zembera-0" + dead + "-" + hex, 'f', false},
        {".~zembera--" + hex, 'f', false},
        {".~zembera-12345678-" + hex, 'f', false},
        {".~zembera-" + std::to_string(::getpid()) + "-" + hex, 'f', false}, // a copy that runs
        {".~zembera-" + dead + "-1111111111111111", 'l', false},
        {".~zembera-" + dead + "-2222222222222222", 'd', false},
        {".~zembera-" + dead + "-3333333333333333", 'o', !root},
        {".~zembera-" + dead + "-4444444444444444", 'n', false}, // made last, below
    };
    for (const Case& c : cases) {
        if (c.kind == 'f' || c.kind == 'o') std::ofstream(dir / c.name) << "x";
        if (c.kind == 'l') fs::create_symlink("/etc/hostname", dir / c.name);
        if (c.kind == 'd') fs::create_directory(dir / c.name);
        if (c.kind == 'o' && root) {
            ASSERT_EQ(::chown((dir / c.name).c_str(), kOtherUser, 0), 0);
        }
    }
    // The sweeping process starts after the files were made (its start is known to 10 ms), the
    // late one after it started.
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    int go[2];
    ASSERT_EQ(::pipe(go), 0);
    const pid_t sweeper = ::fork();
    if (sweeper == 0) {
        char c;
        ::_exit(::read(go[0], &c, 1) == 1 ? removeStaleTemporaries(dir) : 99);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    std::ofstream(dir / cases.back().name) << "x";
    ASSERT_EQ(::write(go[1], "g", 1), 1);
    int status = 0;
    ::waitpid(sweeper, &status, 0);
    ::close(go[0]);
    ::close(go[1]);
    for (const Case& c : cases)
        EXPECT_EQ(!fs::exists(fs::symlink_status(dir / c.name)), c.removed) << c.name;
}

// A writer killed hard leaves its temporary file; the next process to write into the folder
// removes it before it writes (a render or a save there), and leaves nothing of its own.
TEST_F(TemporaryFilesTest, WhatAHardKillLeftGoesWithTheNextWriteIntoTheFolder) {
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t writer = ::fork();
    if (writer == 0) {
        SafeWrite out(dir / "uzun.wav");
        out.write(std::string(1 << 20, 'x'));
        if (::write(ready[1], "r", 1) != 1) ::_exit(1);
        ::pause();
    }
    char c;
    ASSERT_EQ(::read(ready[0], &c, 1), 1);
    ::kill(writer, SIGKILL);
    ::waitpid(writer, nullptr, 0);
    ASSERT_EQ(namesIn(dir).size(), 1u);
    EXPECT_TRUE(isTemporaryFileName(namesIn(dir)[0]));
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    EXPECT_EQ(inChild([&] { return replaceFile(dir / "a.mkm", std::string_view("x")) ? 1 : 0; }),
              0);
    EXPECT_EQ(namesIn(dir), std::vector<std::string>{"a.mkm"});
}

// A replaced file keeps the permissions of the user's own file as far as the umask allows them
// for a new one, never set-user-ID, set-group-ID or sticky; over another user's file (in a folder
// open to all) it gets a new file's permissions and stays the writer's.
TEST_F(TemporaryFilesTest, AReplacedFileNeverTakesMoreThanANewFileOfTheUserGets) {
    struct Case {
        bool own;
        mode_t old, umask, expected; // expected: 0666 less the umask, and the old mode if own
    };
    const Case cases[] = {
        {true, 0640, 022, 0640},  {true, 0400, 022, 0400},  {true, 06755, 022, 0644},
        {true, 01666, 077, 0600}, {true, 0664, 022, 0644},  {false, 06777, 022, 0644},
        {false, 0600, 002, 0664}, {false, 0444, 027, 0640},
    };
    const mode_t was = ::umask(022);
    for (const Case& c : cases) {
        if (!c.own && ::geteuid() != 0) continue; // another user's file needs root to make
        const fs::path file = dir / "g.wav";
        fs::remove(file);
        std::ofstream(file) << "eski";
        if (!c.own) {
            ASSERT_EQ(::chown(file.c_str(), kOtherUser, kOtherUser), 0);
        }
        ASSERT_EQ(::chmod(file.c_str(), c.old), 0);
        ::umask(c.umask);
        EXPECT_EQ(replaceFile(file, std::string_view("yeni")), std::nullopt);
        struct stat st {};
        ASSERT_EQ(::stat(file.c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 07777, c.expected) << std::oct << c.old << " " << c.umask;
        EXPECT_EQ(st.st_uid, ::geteuid());
    }
    ::umask(was);
}

// Names are drawn from the system in each process: a forked copy of a process that drew one
// does not draw the next name the parent draws.
TEST_F(TemporaryFilesTest, ForkedProcessesDrawDifferentNames) {
    const std::string first = newTemporaryName();
    EXPECT_TRUE(isTemporaryFileName(first)) << first;
    int pipe[2];
    ASSERT_EQ(::pipe(pipe), 0);
    std::string child(64, '\0');
    if (inChild([&] {
            const std::string name = newTemporaryName();
            return ::write(pipe[1], name.data(), name.size()) > 0 ? 0 : 1;
        }) == 0)
        child.resize(static_cast<std::size_t>(::read(pipe[0], child.data(), child.size())));
    const std::string own = newTemporaryName();
    const auto random = [](const std::string& name) { return name.substr(name.rfind('-')); };
    EXPECT_NE(random(child), random(own));
    EXPECT_NE(random(first), random(own));
    ::close(pipe[0]);
    ::close(pipe[1]);
}

} // namespace
} // namespace zembera
