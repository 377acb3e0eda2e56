#include "common/safe_write.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <system_error>

#include "common/temporary_names.h"

namespace zembera {
namespace {

// The registry the signal handler reads: fixed storage, no allocation, atomics only.
constexpr int kSlots = 32;
struct Slot {
    std::atomic<int> state{0}; // 0 free, 1 being filled, 2 a temporary file to remove
    char path[4096];
};
std::array<Slot, kSlots> registry;

int registerTemporary(const std::filesystem::path& file) {
    const std::string& text = file.native();
    if (text.size() >= sizeof(Slot::path)) return -1;
    for (int i = 0; i < kSlots; ++i) {
        int expected = 0;
        if (!registry[i].state.compare_exchange_strong(expected, 1)) continue;
        std::memcpy(registry[i].path, text.c_str(), text.size() + 1);
        registry[i].state.store(2);
        return i;
    }
    return -1; // more at once than the registry holds: only the signal cleanup misses it
}

void unregisterTemporary(int slot) {
    if (slot >= 0) registry[static_cast<std::size_t>(slot)].state.store(0);
}

// The permissions of a new file: 0666 less the umask, read without changing it.
mode_t newFileMode() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (!line.starts_with("Umask:")) continue;
        return static_cast<mode_t>(0666 & ~std::stoul(line.substr(6), nullptr, 8));
    }
    return 0644;
}

void onSignal(int signal) {
    removeTemporariesNow();
    ::signal(signal, SIG_DFL);
    ::raise(signal);
}

} // namespace

std::string fileErrorReason(int error) {
    switch (error) {
    case ENOSPC:
        return "diskte yer kalmadı";
#ifdef EDQUOT
    case EDQUOT:
        return "disk kotası doldu";
#endif
    case EROFS:
        return "klasör salt okunur";
    case EACCES:
    case EPERM:
        return "yazma izni yok";
    case ENOENT:
        return "klasör bulunamadı";
    case ENOTDIR:
        return "yol bir klasörden geçmiyor";
    case EISDIR:
        return "bir klasör";
    case ENAMETOOLONG:
        return "dosya adı çok uzun";
    case ELOOP:
        return "bağlantılar bir döngü oluşturuyor";
    case EIO:
        return "giriş/çıkış hatası";
    case EFBIG:
        return "dosya bu dosya sistemi için çok büyük";
    case EBUSY:
    case ETXTBSY:
        return "dosya kullanımda";
    case EEXIST:
        return "geçici dosya oluşturulamadı";
    default:
        return "hata " + std::to_string(error);
    }
}

WriteTarget resolveWriteTarget(const std::filesystem::path& file) {
    std::filesystem::path current = file;
    for (int hops = 0; hops < 40; ++hops) {
        struct stat link {};
        if (::lstat(current.c_str(), &link) != 0 || !S_ISLNK(link.st_mode)) return {current, {}};
        // A link another user planted is not a way into a file of ours.
        if (link.st_uid != ::geteuid())
            return {current, "başka bir kullanıcının bağlantısı, izlenmedi"};
        std::error_code error;
        const std::filesystem::path to = std::filesystem::read_symlink(current, error);
        if (error) return {current, fileErrorReason(error.value())};
        current = to.is_absolute() ? to : current.parent_path() / to;
    }
    return {current, fileErrorReason(ELOOP)};
}

SafeWrite::SafeWrite(const std::filesystem::path& file, Durability durability)
    : durability_(durability) {
    const WriteTarget resolved = resolveWriteTarget(file);
    target_ = resolved.file;
    if (resolved.problem) {
        failure_ = resolved.problem;
        return;
    }
    const std::filesystem::path folder =
        target_.has_parent_path() ? target_.parent_path() : std::filesystem::path(".");
    // What a process killed hard left here goes first.
    removeStaleTemporariesOnce(folder);
    for (int attempt = 0; attempt < 16; ++attempt) {
        temporary_ = folder / newTemporaryName();
        // Registered before it exists, so that no moment has an unlisted file.
        slot_ = registerTemporary(temporary_);
        fd_ =
            ::open(temporary_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd_ >= 0) return;
        const int error = errno;
        unregisterTemporary(slot_);
        slot_ = -1;
        if (error != EEXIST) {
            fail(error);
            return;
        }
    }
    fail(EEXIST);
}

SafeWrite::~SafeWrite() {
    abandon();
}

void SafeWrite::fail(int error) {
    if (!failure_) failure_ = fileErrorReason(error != 0 ? error : EIO);
}

bool SafeWrite::write(std::span<const std::uint8_t> bytes) {
    if (fd_ < 0 || closed_ || failure_) return false;
    const std::uint8_t* at = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd_, at, left);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            fail(n < 0 ? errno : ENOSPC);
            return false;
        }
        at += n;
        left -= static_cast<std::size_t>(n);
    }
    return true;
}

bool SafeWrite::write(std::string_view bytes) {
    return write(std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(bytes.data()),
                                               bytes.size()));
}

bool SafeWrite::finishWriting() {
    if (fd_ < 0 || failure_) return false;
    if (closed_) return true;
    // A new file gets the usual permissions. The user's own file keeps its own and its group as
    // far as the umask allows them for a new file, never set-user-ID, set-group-ID or sticky; a
    // file of another user's (in a folder open to others) is no model for this user's new one.
    const mode_t usual = newFileMode();
    mode_t mode = usual;
    struct stat old {};
    if (::stat(target_.c_str(), &old) == 0 && old.st_uid == ::geteuid()) {
        mode = old.st_mode & usual;
        if (::fchown(fd_, static_cast<uid_t>(-1), old.st_gid) != 0) {
            // A group the user is not in: the new file keeps the user's.
        }
    }
    if (::fchmod(fd_, mode) != 0) fail(errno);
    // On the disk before it replaces the old file.
    if (!failure_ && durability_ == Durability::disk && ::fsync(fd_) != 0) fail(errno);
    if (::close(fd_) != 0) fail(errno);
    closed_ = true;
    if (!failure_) return true;
    abandon();
    return false;
}

bool SafeWrite::rename() {
    if (::rename(temporary_.c_str(), target_.c_str()) != 0) {
        fail(errno);
        abandon();
        return false;
    }
    unregisterTemporary(slot_);
    slot_ = -1;
    fd_ = -1;
    if (durability_ != Durability::disk) return true;
    // The rename itself onto the disk.
    const int folder = ::open(temporary_.parent_path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        ::fsync(folder);
        ::close(folder);
    }
    return true;
}

bool SafeWrite::commit() {
    return finishWriting() && rename();
}

void SafeWrite::abandon() {
    if (fd_ < 0) return;
    if (!closed_) ::close(fd_);
    ::unlink(temporary_.c_str());
    unregisterTemporary(slot_);
    slot_ = -1;
    fd_ = -1;
}

std::optional<std::string> replaceFile(const std::filesystem::path& file,
                                       std::span<const std::uint8_t> bytes,
                                       SafeWrite::Durability durability) {
    SafeWrite out(file, durability);
    if (out.write(bytes) && out.commit()) return std::nullopt;
    return file.string() + ": " + out.failure().value_or(fileErrorReason(EIO));
}

std::optional<std::string> replaceFile(const std::filesystem::path& file, std::string_view bytes) {
    return replaceFile(
        file, std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(bytes.data()),
                                            bytes.size()));
}

namespace {

// The file a group replacement puts back when a later file of the group cannot be put in place:
// a hard link to the old file under a temporary name, or nothing for a file that was new.
class OldFile {
  public:
    explicit OldFile(const std::filesystem::path& target) : target_(target) {
        struct stat st {};
        if (::lstat(target.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return;
        existed_ = true;
        const std::filesystem::path folder =
            target.has_parent_path() ? target.parent_path() : std::filesystem::path(".");
        link_ = folder / newTemporaryName();
        slot_ = registerTemporary(link_);
        // Without hard links (some file systems) the old file cannot be kept.
        if (::link(target.c_str(), link_.c_str()) != 0) drop();
    }
    ~OldFile() { drop(); }
    OldFile(const OldFile&) = delete;
    OldFile& operator=(const OldFile&) = delete;

    // The old file back in place (or the new one gone when there was none).
    void restore() {
        if (!existed_) {
            ::unlink(target_.c_str());
        } else if (!link_.empty() && ::rename(link_.c_str(), target_.c_str()) == 0) {
            unregisterTemporary(slot_);
            slot_ = -1;
            link_.clear();
        }
    }

  private:
    void drop() {
        if (!link_.empty()) ::unlink(link_.c_str());
        unregisterTemporary(slot_);
        slot_ = -1;
        link_.clear();
    }

    std::filesystem::path target_;
    std::filesystem::path link_;
    bool existed_ = false;
    int slot_ = -1;
};

} // namespace

std::optional<std::string> replaceFiles(std::span<const FileContent> files) {
    std::vector<std::unique_ptr<SafeWrite>> writes;
    for (const FileContent& f : files) {
        writes.push_back(std::make_unique<SafeWrite>(f.file));
        SafeWrite& out = *writes.back();
        if (!out.write(std::span<const std::uint8_t>(f.bytes)) || !out.finishWriting())
            return f.file.string() + ": " + out.failure().value_or(fileErrorReason(EIO));
    }
    // All complete: only renames are left, which a full disk does not stop. Should one fail all
    // the same (a folder in the way), the files already put in place are put back.
    std::vector<std::unique_ptr<OldFile>> old;
    for (const auto& write : writes)
        old.push_back(std::make_unique<OldFile>(write->target()));
    for (std::size_t i = 0; i < writes.size(); ++i) {
        if (writes[i]->commit()) continue;
        for (std::size_t k = 0; k < i; ++k)
            old[k]->restore();
        return files[i].file.string() + ": " + writes[i]->failure().value_or(fileErrorReason(EIO));
    }
    return std::nullopt;
}

void removeTemporariesNow() {
    for (Slot& slot : registry)
        if (slot.state.load() == 2) ::unlink(slot.path);
}

void removeTemporariesOnSignals() {
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
        struct sigaction action {};
        action.sa_handler = onSignal;
        sigemptyset(&action.sa_mask);
        ::sigaction(signal, &action, nullptr);
    }
}

} // namespace zembera
