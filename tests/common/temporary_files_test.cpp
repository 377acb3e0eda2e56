// The program's temporary files among a user's own and another user's (uid 65534) files: what
// the sweep removes, the permissions a replaced file gets, names drawn afresh in each process.
// (A render killed hard: e2e/command_line_test.cpp.)

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <thread>

#include "common/safe_write.h"

namespace zembera {
namespace {

namespace fs = std::filesystem;
constexpr uid_t kOtherUser = 65534;

// A folder open to everybody, not sticky (in the test process's own temporary folder).
fs::path openFolder(const std::string& name) {
    const fs::path dir = fs::temp_directory_path() / name;
    fs::create_directories(dir);
    ::chmod(dir.c_str(), 0777);
    return dir;
}

// Removed are only names of the exact form, of a process gone, regular files of this user last
// changed before the sweeping process started ('n': made after it started).
TEST(TemporaryFiles, TheSweepRemovesOnlyItsOwnStaleFiles) {
    const fs::path dir = openFolder("sweep");
    const pid_t gone = ::fork();
    if (gone == 0) ::_exit(0);
    ::waitpid(gone, nullptr, 0);
    const std::string dead = ".~zembera-" + std::to_string(gone) + "-", hex = "0123456789abcdef";
    const bool root = ::geteuid() == 0; // 'o': a file of another user
    const std::tuple<std::string, char, bool> cases[] = {
        {dead + hex, 'f', true},
        {dead + "0000000000000000", 'f', true},
        {".~0123456789ab", 'f', false},
        {dead + "0123456789ABCDEF", 'f', false},
        {dead + "0123456789abcde", 'f', false},
        {".~zembera-0" + dead.substr(10) + hex, 'f', false},
        {".~zembera-12345678-" + hex, 'f', false},
        {".~zembera-" + std::to_string(::getpid()) + "-" + hex, 'f', false},
        {dead + "1111111111111111", 'l', false},
        {dead + "2222222222222222", 'd', false},
        {dead + "3333333333333333", 'o', !root},
        {dead + "4444444444444444", 'n', false},
    };
    for (const auto& [name, kind, removed] : cases) {
        if (kind == 'f' || kind == 'o') std::ofstream(dir / name) << "x";
        if (kind == 'l') fs::create_symlink("/etc/hostname", dir / name);
        if (kind == 'd') fs::create_directory(dir / name);
        if (kind == 'o' && root) ::chown((dir / name).c_str(), kOtherUser, 0);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(30)); // process starts count in 10 ms
    int go[2];
    ASSERT_EQ(::pipe(go), 0);
    const pid_t sweeper = ::fork();
    if (sweeper == 0) {
        char c;
        ::_exit(::read(go[0], &c, 1) == 1 ? removeStaleTemporaries(dir) : 99);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    std::ofstream(dir / std::get<0>(cases[11])) << "x";
    ASSERT_EQ(::write(go[1], "g", 1), 1);
    ::waitpid(sweeper, nullptr, 0);
    for (const auto& [name, kind, removed] : cases)
        EXPECT_EQ(!fs::exists(fs::symlink_status(dir / name)), removed) << name;
}

// Over the user's own file the old permissions as far as the umask allows them for a new file,
// never set-user-ID, set-group-ID or sticky; over another user's file a new file's permissions,
// and the file the writer's.
TEST(TemporaryFiles, AReplacedFileNeverTakesMoreThanANewFileOfTheUserGets) {
    const std::tuple<bool, mode_t, mode_t, mode_t> cases[] = {
        // own, old mode, umask, expected
        {true, 0640, 022, 0640},  {true, 0400, 022, 0400},  {true, 06755, 022, 0644},
        {true, 01666, 077, 0600}, {true, 0664, 022, 0644},  {false, 06777, 022, 0644},
        {false, 0600, 002, 0664}, {false, 0444, 027, 0640},
    };
    const mode_t was = ::umask(022);
    const fs::path file = openFolder("modes") / "g.wav";
    for (const auto& [own, old, umask, expected] : cases) {
        if (!own && ::geteuid() != 0) continue; // another user's file needs root to make
        std::ofstream(file) << "eski";
        if (!own) ::chown(file.c_str(), kOtherUser, kOtherUser);
        ::chmod(file.c_str(), old);
        ::umask(umask);
        EXPECT_EQ(replaceFile(file, std::string_view("yeni")), std::nullopt);
        struct stat st {};
        ::stat(file.c_str(), &st);
        EXPECT_EQ(st.st_mode & 07777, expected) << std::oct << old << " " << umask;
        EXPECT_EQ(st.st_uid, ::geteuid());
        fs::remove(file);
    }
    ::umask(was);
}

// A forked copy of a process that drew a name never draws the parent's next one.
TEST(TemporaryFiles, ForkedProcessesDrawDifferentNames) {
    EXPECT_TRUE(isTemporaryFileName(newTemporaryName()));
    int pipe[2];
    ASSERT_EQ(::pipe(pipe), 0);
    if (::fork() == 0) {
        const std::string name = newTemporaryName();
        ::_exit(::write(pipe[1], name.data(), name.size()) > 0 ? 0 : 1);
    }
    std::string child(64, '\0');
    child.resize(static_cast<std::size_t>(std::max(0L, ::read(pipe[0], child.data(), 64))));
    const std::string own = newTemporaryName();
    EXPECT_NE(child.substr(child.rfind('-') + 1), own.substr(own.rfind('-') + 1));
    ::wait(nullptr);
}

} // namespace
} // namespace zembera
