#include "common/temporary_names.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <mutex>
#include <optional>
#include <random>
#include <set>
#include <sstream>

namespace zembera {
namespace {

constexpr std::size_t kRandomDigits = 16;
constexpr std::size_t kLongestPid = 7; // pid_max is at most 2^22

std::uint64_t randomBits() {
    std::uint64_t bits = 0;
    auto* at = reinterpret_cast<unsigned char*>(&bits);
    std::size_t got = 0;
    while (got < sizeof bits) {
        const ssize_t n = ::getrandom(at + got, sizeof bits - got, 0);
        if (n > 0) {
            got += static_cast<std::size_t>(n);
        } else if (n < 0 && errno != EINTR) {
            // A kernel without getrandom: two draws of 32 bits each.
            std::random_device device;
            return (std::uint64_t{device()} << 32) ^ device();
        }
    }
    return bits;
}

std::int64_t nanoseconds(const timespec& t) {
    return std::int64_t{t.tv_sec} * 1'000'000'000 + t.tv_nsec;
}

// When process `pid` started, in nanoseconds since boot (ticks of /proc/<pid>/stat, field 22).
std::optional<std::int64_t> startedSinceBoot(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (!std::getline(in, line)) return std::nullopt;
    // The command name (field 2) may hold blanks and parentheses: count from its end.
    const std::size_t close = line.rfind(')');
    if (close == std::string::npos) return std::nullopt;
    std::istringstream fields(line.substr(close + 1));
    std::string field;
    for (int i = 3; i < 22 && fields >> field;)
        ++i;
    unsigned long long ticks = 0;
    if (!(fields >> ticks)) return std::nullopt;
    const long perSecond = ::sysconf(_SC_CLK_TCK);
    if (perSecond <= 0) return std::nullopt;
    return static_cast<std::int64_t>(ticks / static_cast<unsigned long long>(perSecond)) *
               1'000'000'000 +
           static_cast<std::int64_t>(ticks % static_cast<unsigned long long>(perSecond)) *
               1'000'000'000 / perSecond;
}

// The moment of a file's last change (of content, name or links), in nanoseconds since boot.
std::int64_t changedSinceBoot(const struct stat& st) {
    timespec wall{}, boot{};
    ::clock_gettime(CLOCK_REALTIME, &wall);
    ::clock_gettime(CLOCK_BOOTTIME, &boot);
    return nanoseconds(st.st_ctim) - (nanoseconds(wall) - nanoseconds(boot));
}

// The process number in a temporary file's name (the name has the exact form).
pid_t pidOf(std::string_view name) {
    name.remove_prefix(kTemporaryPrefix.size());
    pid_t pid = 0;
    std::from_chars(name.data(), name.data() + name.find('-'), pid);
    return pid;
}

bool stale(std::string_view name, const struct stat& st) {
    if (!S_ISREG(st.st_mode) || st.st_uid != ::geteuid()) return false;
    const std::int64_t changed = changedSinceBoot(st);
    const std::optional<std::int64_t> ownStart = startedSinceBoot(::getpid());
    if (!ownStart || changed >= *ownStart) return false;
    const pid_t pid = pidOf(name);
    if (::kill(pid, 0) != 0 && errno == ESRCH) return true;
    // The number is taken: by the file's own process, or by one that started after it.
    const std::optional<std::int64_t> start = startedSinceBoot(pid);
    return start && changed < *start;
}

std::mutex sweptMutex;
std::set<std::string> swept;

// True the first time for `folder`.
bool firstSweep(const std::filesystem::path& folder) {
    std::error_code error;
    std::filesystem::path key = std::filesystem::absolute(folder, error);
    if (error) key = folder;
    const std::lock_guard lock(sweptMutex);
    return swept.insert(key.lexically_normal().string()).second;
}

} // namespace

std::string newTemporaryName() {
    char digits[kRandomDigits + 1];
    std::snprintf(digits, sizeof digits, "%016llx", static_cast<unsigned long long>(randomBits()));
    return std::string(kTemporaryPrefix) + std::to_string(::getpid()) + "-" + digits;
}

bool isTemporaryFileName(std::string_view name) {
    if (!name.starts_with(kTemporaryPrefix)) return false;
    name.remove_prefix(kTemporaryPrefix.size());
    const std::size_t dash = name.find('-');
    if (dash == std::string_view::npos || dash == 0 || dash > kLongestPid || name[0] == '0' ||
        name.size() - dash - 1 != kRandomDigits)
        return false;
    for (char c : name.substr(0, dash))
        if (c < '0' || c > '9') return false;
    for (char c : name.substr(dash + 1))
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
    return true;
}

int removeStaleTemporaries(const std::filesystem::path& folder) {
    firstSweep(folder);
    const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir < 0) return 0;
    int removed = 0;
    std::error_code error;
    for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end;
         it.increment(error)) {
        const std::string name = it->path().filename().string();
        struct stat st {};
        if (!isTemporaryFileName(name) ||
            ::fstatat(dir, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0 || !stale(name, st))
            continue;
        if (::unlinkat(dir, name.c_str(), 0) == 0) ++removed;
    }
    ::close(dir);
    return removed;
}

void removeStaleTemporariesOnce(const std::filesystem::path& folder) {
    if (firstSweep(folder)) removeStaleTemporaries(folder);
}

} // namespace zembera
