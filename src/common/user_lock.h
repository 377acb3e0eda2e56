#pragma once
// One running copy per user and user folder: a lock file in the user's own data folder, held with
// flock for as long as the process runs (the kernel lets go of it when the process ends, however
// it ends, so a crashed copy never blocks the next start).
//
// The folder must be the user's (it is made with mode 0700 when missing, and brought to 0700 when
// others could reach into it); a lock file that is not the user's own regular file (planted by
// another user, a link) is removed and made anew. Where the folder cannot be trusted or made, the
// program starts without the guard rather than let anybody else keep it from starting.
//
// Thread: any; one UserLock per process.

#include <filesystem>
#include <string>

namespace zembera {

class UserLock {
  public:
    enum class State {
        held,          // this copy is the only one
        heldElsewhere, // another copy of this user runs on this folder
        unguarded,     // no lock could be taken safely; problem() says why
    };

    explicit UserLock(const std::filesystem::path& folder);
    ~UserLock();
    UserLock(const UserLock&) = delete;
    UserLock& operator=(const UserLock&) = delete;

    State state() const { return state_; }
    // Why the start is unguarded: "<folder>: <reason>".
    const std::string& problem() const { return problem_; }

  private:
    void take(const std::filesystem::path& folder);
    void unguarded(const std::filesystem::path& folder, const std::string& reason);

    int fd_ = -1;
    State state_ = State::unguarded;
    std::string problem_;
};

// The name of the lock file in the folder.
inline constexpr const char* kUserLockName = ".zembera.lock";

} // namespace zembera
