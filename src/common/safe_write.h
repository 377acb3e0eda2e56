#pragma once
// Replacing a file so that nothing is lost and nothing is left behind.
//
// The new content goes to a temporary file created exclusively (O_EXCL, O_NOFOLLOW) under a random
// name in the folder the file really lies in: a name planted beforehand, or a symbolic link, is
// never opened, and no file of the user's has a name that clashes with it. When complete it is
// flushed to the disk, given the old file's permissions (those of the user's own file, as far as
// the umask allows) and renamed over the file; a file that is a symbolic link of the user's own is
// replaced at the link's target, and the link stays. On any failure, and when the process is ended
// by SIGINT, SIGTERM or SIGHUP, the temporary file is removed; those of a process that died harder
// are removed at the next start and before the first write into their folder
// (temporary_names.h).
//
// Thread: any; each SafeWrite belongs to one thread.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "common/temporary_names.h"

namespace zembera {

// Why a file operation failed (an errno value), in words for the user.
std::string fileErrorReason(int error);

// The file a write to `file` replaces: `file` itself, or the target of the user's own symbolic
// link (followed to its end). The reason when it cannot be: a link of another user, a loop.
struct WriteTarget {
    std::filesystem::path file;
    std::optional<std::string> problem;
};
WriteTarget resolveWriteTarget(const std::filesystem::path& file);

// One file being replaced.
class SafeWrite {
  public:
    // How far a complete file is taken before it replaces the old one: onto the disk (a file of
    // the user's), or only into the system (a scratch file made again at will, whose flush to the
    // disk would hold up the thread that plays).
    enum class Durability { disk, system };

    // Creates the temporary file for replacing `file`; see failure() for whether it could.
    explicit SafeWrite(const std::filesystem::path& file, Durability durability = Durability::disk);
    // A write that was not committed is abandoned: its temporary file is removed.
    ~SafeWrite();
    SafeWrite(const SafeWrite&) = delete;
    SafeWrite& operator=(const SafeWrite&) = delete;

    // The descriptor of the temporary file (-1 after a failure), for writers of their own.
    int descriptor() const { return fd_; }
    // Appends bytes; false (and the reason kept) when they cannot all be written.
    bool write(std::span<const std::uint8_t> bytes);
    bool write(std::string_view bytes);
    // Keeps the reason of a failure seen by a writer of its own (an errno value).
    void fail(int error);
    // Puts the complete file in place: flushed to the disk, the old file's permissions, renamed
    // over the file. False (the temporary file removed, the old file as it was) on failure.
    bool commit();
    // Flushes and closes the temporary file so that commit() only renames; for several files
    // put in place together (replaceFiles).
    bool finishWriting();
    // Removes the temporary file; the old file stays as it was.
    void abandon();

    // The reason of the first failure, for the user (without the file's name).
    const std::optional<std::string>& failure() const { return failure_; }
    // The file that is replaced (the target of a link) and the temporary file.
    const std::filesystem::path& target() const { return target_; }
    const std::filesystem::path& temporary() const { return temporary_; }

  private:
    bool rename();

    std::filesystem::path target_;
    std::filesystem::path temporary_;
    int fd_ = -1;
    int slot_ = -1; // in the registry of temporary files removed on a signal
    bool closed_ = false;
    Durability durability_ = Durability::disk;
    std::optional<std::string> failure_;
};

// Replaces `file` with `bytes`. The reason when it could not ("<file>: <reason>").
std::optional<std::string>
replaceFile(const std::filesystem::path& file, std::span<const std::uint8_t> bytes,
            SafeWrite::Durability durability = SafeWrite::Durability::disk);
std::optional<std::string> replaceFile(const std::filesystem::path& file, std::string_view bytes);

// Files replaced together: every one is written in full to its temporary file before the first
// is put in place, so a full disk or a read-only folder changes none of them; should a later one
// still fail to go in place, those before it are put back (the old file kept as a hard link).
struct FileContent {
    std::filesystem::path file;
    std::vector<std::uint8_t> bytes;
};
std::optional<std::string> replaceFiles(std::span<const FileContent> files);

// Makes SIGINT, SIGTERM and SIGHUP remove the temporary files being written before the process
// ends as the signal asks.
void removeTemporariesOnSignals();

// Removes every temporary file being written now (what the signal handler does).
void removeTemporariesNow();

} // namespace zembera
