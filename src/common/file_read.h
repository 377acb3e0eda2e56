#pragma once
// Reading a whole file with a limit: only a regular file is read (a FIFO would block for good, a
// device such as /dev/zero never ends), and only when it is no larger than the limit set for its
// kind. The reason otherwise, in words for the user.
//
// Thread: any.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace zembera {

// The limits of the kinds of file the program reads. No real file of a kind comes near its limit.
inline constexpr std::uint64_t kTextFileLimit = 16u << 20;   // makam, melody, recording, table
inline constexpr std::uint64_t kScalaFileLimit = 1u << 20;   // .scl, .kbm, the degree names
inline constexpr std::uint64_t kSampleFileLimit = 96u << 20; // a string's WAV sample (see .cpp)

// "64 KB", "96 MB", "2,1 GB": a size for a message.
std::string sizeText(std::uint64_t bytes);

// A file opened for a limited read: its descriptor and size, or why it cannot be read ("dosya
// bulunamadı", "okuma izni yok", "bir klasör", "normal bir dosya değil", "dosya çok büyük: 2,1 GB,
// en çok 96 MB"). The descriptor is closed by readOpened.
struct OpenedFile {
    int fd = -1;
    std::uint64_t size = 0;
    std::string problem;
};
OpenedFile openLimited(const std::filesystem::path& file, std::uint64_t limit);
// Reads up to `size` bytes into `data` and closes the file; the bytes read, or the reason.
struct ReadCount {
    std::uint64_t count = 0;
    std::string problem;
};
ReadCount readOpened(OpenedFile& file, char* data, std::uint64_t size);

template <typename Bytes> struct LimitedRead {
    std::optional<Bytes> bytes;
    std::string problem;
};

// The bytes of `file` as `Bytes` (std::string or a vector of bytes), or why they cannot be read.
template <typename Bytes = std::string>
LimitedRead<Bytes> readLimitedFile(const std::filesystem::path& file, std::uint64_t limit) {
    LimitedRead<Bytes> read;
    OpenedFile opened = openLimited(file, limit);
    if (opened.fd < 0) {
        read.problem = std::move(opened.problem);
        return read;
    }
    Bytes bytes;
    bytes.resize(static_cast<std::size_t>(opened.size));
    const ReadCount got = readOpened(opened, reinterpret_cast<char*>(bytes.data()), opened.size);
    if (!got.problem.empty()) {
        read.problem = got.problem;
        return read;
    }
    // A file that shrank meanwhile is read as far as it goes.
    bytes.resize(static_cast<std::size_t>(got.count));
    read.bytes = std::move(bytes);
    return read;
}

} // namespace zembera
