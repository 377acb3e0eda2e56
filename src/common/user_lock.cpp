#include "common/user_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "common/safe_write.h"

namespace zembera {
namespace {

// The lock file of the folder `dir`, as a regular file of this user: anything else of that name
// is removed first. -1 with errno set when none can be made.
int openLockFile(int dir) {
    for (int attempt = 0; attempt < 3; ++attempt) {
        const int fd = ::openat(dir, kUserLockName,
                                O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
        if (fd < 0 && errno != ELOOP) return -1;
        struct stat st {};
        if (fd >= 0 && ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::geteuid())
            return fd;
        if (fd >= 0) ::close(fd);
        if (::unlinkat(dir, kUserLockName, 0) != 0 && errno != ENOENT) return -1;
    }
    errno = EEXIST;
    return -1;
}

} // namespace

UserLock::UserLock(const std::filesystem::path& folder) {
    take(folder);
}

void UserLock::take(const std::filesystem::path& folder) {
    std::error_code error;
    std::filesystem::create_directories(folder.parent_path(), error);
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST)
        return unguarded(folder, fileErrorReason(errno));
    const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir < 0) return unguarded(folder, fileErrorReason(errno));
    struct stat st {};
    if (::fstat(dir, &st) != 0 || st.st_uid != ::geteuid()) {
        ::close(dir);
        return unguarded(folder, "başka bir kullanıcının klasörü");
    }
    // Nobody else may make or replace a file in it.
    if ((st.st_mode & 07777) != 0700 && ::fchmod(dir, 0700) != 0) {
        const int why = errno;
        ::close(dir);
        return unguarded(folder, fileErrorReason(why));
    }
    fd_ = openLockFile(dir);
    const int why = errno;
    ::close(dir);
    if (fd_ < 0) return unguarded(folder, fileErrorReason(why));
    if (::flock(fd_, LOCK_EX | LOCK_NB) == 0) {
        state_ = State::held;
    } else if (errno == EWOULDBLOCK) {
        state_ = State::heldElsewhere;
    } else {
        unguarded(folder, fileErrorReason(errno));
    }
}

UserLock::~UserLock() {
    if (fd_ >= 0) ::close(fd_);
}

void UserLock::unguarded(const std::filesystem::path& folder, const std::string& reason) {
    state_ = State::unguarded;
    problem_ = folder.string() + ": " + reason;
}

} // namespace zembera
