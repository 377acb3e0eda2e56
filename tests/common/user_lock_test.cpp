// The one-copy lock in the user's data folder against what another user (uid 65534, a child
// process that takes that uid) plants: a lock in a data folder left open to all, held by that
// user's running process; a link in the lock's place; a data folder that is not the user's.

#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "common/user_lock.h"

namespace zembera {
namespace {

namespace fs = std::filesystem;
using State = UserLock::State;

TEST(UserLock, OnePerUserFolderAndNothingOfAnotherUserBlocksOrIsTrusted) {
    if (::geteuid() != 0) GTEST_SKIP() << "another user's files need root to make";
    const fs::path home = fs::temp_directory_path(), folder = home / "ZEMBERA",
                   lock = folder / kUserLockName;
    fs::create_directories(folder);
    ::chmod(folder.c_str(), 0777);
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t other = ::fork();
    if (other == 0) {
        const int fd = ::setgid(65534) == 0 && ::setuid(65534) == 0
                           ? ::open(lock.c_str(), O_RDWR | O_CREAT, 0644)
                           : -1;
        if (fd < 0 || ::flock(fd, LOCK_EX) != 0 || ::write(ready[1], "r", 1) != 1) ::_exit(1);
        ::pause();
    }
    char c;
    ASSERT_EQ(::read(ready[0], &c, 1), 1);
    {
        const UserLock first(folder);
        EXPECT_EQ(first.state(), State::held) << first.problem();
        EXPECT_EQ(fs::status(folder).permissions(), fs::perms::owner_all);
        EXPECT_EQ(UserLock(folder).state(), State::heldElsewhere); // whatever its runtime folder
    }
    ::kill(other, SIGKILL);
    ::waitpid(other, nullptr, 0);
    // A lock left behind, then a link in its place: replaced, the link's target untouched.
    EXPECT_EQ(UserLock(folder).state(), State::held);
    std::ofstream(home / "hedef") << "x";
    fs::remove(lock);
    fs::create_symlink(home / "hedef", lock);
    EXPECT_EQ(UserLock(folder).state(), State::held);
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(lock)));
    EXPECT_EQ(fs::file_size(home / "hedef"), 1u);
    // Another user's folder is not trusted: the start goes on unguarded, saying why.
    fs::remove(lock);
    ::chown(folder.c_str(), 65534, 65534);
    const UserLock refused(folder);
    EXPECT_EQ(refused.state(), State::unguarded);
    EXPECT_EQ(refused.problem(), folder.string() + ": başka bir kullanıcının klasörü");
    EXPECT_FALSE(fs::exists(lock));
}

} // namespace
} // namespace zembera
