#include "common/file_read.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "common/safe_write.h"

namespace zembera {
namespace {

// The reason a file cannot be opened for reading.
std::string readErrorReason(int error) {
    switch (error) {
    case ENOENT:
        return "dosya bulunamadı";
    case EACCES:
    case EPERM:
        return "okuma izni yok";
    default:
        return fileErrorReason(error);
    }
}

} // namespace

// A sample is used for at most 60 seconds (longer ones are cut); 60 s of the widest common
// layout, stereo 32-bit at 192 kHz, is 92 MB.
static_assert(kSampleFileLimit >= 60ull * 192000 * 2 * 4 + 1024);

std::string sizeText(std::uint64_t bytes) {
    static constexpr const char* kUnits[] = {"bayt", "KB", "MB", "GB", "TB"};
    double value = static_cast<double>(bytes);
    int unit = 0;
    while (value >= 1024 && unit < 4) {
        value /= 1024;
        ++unit;
    }
    char text[32];
    if (unit == 0 || value >= 10 || value == static_cast<double>(static_cast<long>(value)))
        std::snprintf(text, sizeof text, "%.0f %s", value, kUnits[unit]);
    else
        std::snprintf(text, sizeof text, "%.1f %s", value, kUnits[unit]);
    std::string out = text;
    if (const auto point = out.find('.'); point != std::string::npos) out[point] = ',';
    return out;
}

OpenedFile openLimited(const std::filesystem::path& file, std::uint64_t limit) {
    OpenedFile opened;
    // Without blocking: a FIFO with no writer would hold open() for good.
    const int fd = ::open(file.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        opened.problem = readErrorReason(errno);
        return opened;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        opened.problem = readErrorReason(errno);
    } else if (S_ISDIR(st.st_mode)) {
        opened.problem = "bir klasör";
    } else if (!S_ISREG(st.st_mode)) {
        opened.problem = "normal bir dosya değil";
    } else if (const auto size = static_cast<std::uint64_t>(st.st_size); size > limit) {
        std::string have = sizeText(size), most = sizeText(limit);
        // Just over the limit, the rounded sizes would read the same.
        if (have == most) {
            have = std::to_string(size) + " bayt";
            most = std::to_string(limit) + " bayt";
        }
        opened.problem = "dosya çok büyük: " + have + ", en çok " + most;
    }
    if (!opened.problem.empty()) {
        ::close(fd);
        return opened;
    }
    opened.fd = fd;
    opened.size = static_cast<std::uint64_t>(st.st_size);
    return opened;
}

ReadCount readOpened(OpenedFile& file, char* data, std::uint64_t size) {
    ReadCount read;
    while (read.count < size) {
        const ssize_t n = ::read(file.fd, data + read.count, size - read.count);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            read.problem = readErrorReason(errno);
            break;
        }
        if (n == 0) break;
        read.count += static_cast<std::uint64_t>(n);
    }
    ::close(file.fd);
    file.fd = -1;
    return read;
}

} // namespace zembera
