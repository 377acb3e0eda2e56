// The one-copy lock in the user's data folder against what another user (uid 65534, through a
// child process that takes that uid) can plant: in the shared temporary folder, in a data folder
// left open to others, a link in place of the lock, a folder that is not the user's.

#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "common/user_lock.h"

namespace zembera {
namespace {

namespace fs = std::filesystem;
using State = UserLock::State;

constexpr uid_t kOtherUser = 65534;

class UserLockTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (::geteuid() != 0) GTEST_SKIP() << "another user's files need root to make";
        home = fs::temp_directory_path() / ("zembera_lock_" + std::to_string(::getpid()));
        fs::remove_all(home);
        fs::create_directories(home);
        ::chmod(home.c_str(), 0777); // anybody may make things here, as in /tmp
        folder = home / "ZEMBERA";
    }
    void TearDown() override {
        if (!home.empty()) fs::remove_all(home);
    }
    // Runs `plant` as the other user in a child process that then keeps running (holding what
    // it locked) until the test ends.
    void asOtherUser(const std::function<void()>& plant) {
        int ready[2];
        ASSERT_EQ(::pipe(ready), 0);
        other = ::fork();
        if (other == 0) {
            if (::setgid(kOtherUser) != 0 || ::setuid(kOtherUser) != 0) ::_exit(1);
            plant();
            if (::write(ready[1], "r", 1) != 1) ::_exit(1);
            ::pause();
            ::_exit(0);
        }
        char c;
        ASSERT_EQ(::read(ready[0], &c, 1), 1);
        ::close(ready[0]);
        ::close(ready[1]);
    }
    void endOtherUser() {
        if (other <= 0) return;
        ::kill(other, SIGKILL);
        ::waitpid(other, nullptr, 0);
        other = -1;
    }
    mode_t modeOf(const fs::path& p) {
        struct stat st {};
        return ::stat(p.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
    }
    fs::path home, folder;
    pid_t other = -1;
};

// The other user's lock planted where the lock once was (the shared temporary folder, without
// a runtime folder) and in a data folder open to all, held by a running process of that user,
// keep nobody from starting; the folder ends up the user's alone.
TEST_F(UserLockTest, AnotherUsersPlantedLocksNeverBlockTheStart) {
    const fs::path runtime = home / ("runtime-" + std::to_string(::geteuid()));
    fs::create_directories(folder);
    ::chmod(folder.c_str(), 0777);
    asOtherUser([&] {
        ::mkdir(runtime.c_str(), 0700);
        std::ofstream(home / ("zembera-" + std::to_string(::geteuid()) + ".lock")) << "x";
        const int fd = ::open((folder / kUserLockName).c_str(), O_RDWR | O_CREAT, 0644);
        if (fd < 0 || ::flock(fd, LOCK_EX) != 0) ::_exit(1);
    });
    const UserLock lock(folder);
    EXPECT_EQ(lock.state(), State::held) << lock.problem();
    EXPECT_EQ(modeOf(folder), 0700u);
    endOtherUser();
}

// One copy per user folder: a second lock of the same folder (whatever its runtime folder) is
// refused while the first is held and granted once it is gone; a lock file left by a copy that
// died is no obstacle; a link in the lock's place is replaced, its target untouched.
TEST_F(UserLockTest, OneCopyPerFolderAndLeftoversAreReplaced) {
    {
        const UserLock first(folder);
        ASSERT_EQ(first.state(), State::held) << first.problem();
        EXPECT_EQ(modeOf(folder), 0700u);
        EXPECT_EQ(UserLock(folder).state(), State::heldElsewhere);
    }
    EXPECT_EQ(UserLock(folder).state(), State::held);
    std::ofstream(home / "hedef") << "dokunulmaz";
    fs::remove(folder / kUserLockName);
    fs::create_symlink(home / "hedef", folder / kUserLockName);
    EXPECT_EQ(UserLock(folder).state(), State::held);
    EXPECT_FALSE(fs::is_symlink(folder / kUserLockName));
    std::ifstream target(home / "hedef");
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(target), {}), "dokunulmaz");
}

// A data folder of another user is not trusted: no lock is taken there, and the start goes on
// unguarded, saying why, rather than being refused.
TEST_F(UserLockTest, AFolderOfAnotherUserIsNeverTrusted) {
    fs::create_directories(folder);
    ASSERT_EQ(::chown(folder.c_str(), kOtherUser, kOtherUser), 0);
    const UserLock lock(folder);
    EXPECT_EQ(lock.state(), State::unguarded);
    EXPECT_EQ(lock.problem(), folder.string() + ": başka bir kullanıcının klasörü");
    EXPECT_FALSE(fs::exists(folder / kUserLockName));
}

} // namespace
} // namespace zembera
