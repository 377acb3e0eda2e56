#include "files/record_file.h"

#include <cerrno>
#include <cstring>
#include <limits>
#include <system_error>

#if __has_include(<unistd.h>)
#include <unistd.h>
#endif

#include "common/basic_print.h"
#include "files/text_file.h"

namespace zembera {

std::string recordLine(int string, int mandal, std::int32_t elapsedMs) {
    return PrintLine().number(string).number(mandal).number(elapsedMs).finish();
}

RecordEntry readRecordEntry(FieldReader& reader) {
    RecordEntry e;
    e.string = static_cast<int>(reader.readInteger(1, 26, "tel numarası"));
    e.mandal = static_cast<int>(reader.readInteger(-32768, 32767, "mandal konumu"));
    e.durationMs = static_cast<std::int32_t>(
        reader.readInteger(std::numeric_limits<std::int32_t>::min(),
                           std::numeric_limits<std::int32_t>::max(), "süre"));
    return e;
}

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
    case EIO:
        return "giriş/çıkış hatası";
    default:
        return std::strerror(error);
    }
}

RecordFile::~RecordFile() {
    if (out_ != nullptr) std::fclose(out_);
}

std::optional<std::string> RecordFile::startNew(const std::filesystem::path& file) {
    if (out_ != nullptr) std::fclose(out_);
    file_ = file;
    temporary_ = file.parent_path() / pathFromUtf8(kRecordTemporaryName);
    failure_.reset();
    errno = 0;
    out_ = std::fopen(temporary_.c_str(), "wb");
    if (out_ == nullptr) {
        const int error = errno;
        return file_.string() + ": " + fileErrorReason(error != 0 ? error : EIO);
    }
    return std::nullopt;
}

void RecordFile::fail() {
    const int error = errno != 0 ? errno : EIO;
    if (!failure_) failure_ = file_.string() + ": " + fileErrorReason(error);
}

void RecordFile::writePluck(int string, int mandal, std::int32_t elapsedMs) {
    if (out_ == nullptr || failure_) return;
    const std::string line = recordLine(string, mandal, elapsedMs);
    errno = 0;
    if (std::fwrite(line.data(), 1, line.size(), out_) != line.size() || std::fflush(out_) != 0)
        fail();
}

std::optional<std::string> RecordFile::finish() {
    if (out_ == nullptr) return std::nullopt;
    errno = 0;
    if (!failure_ && std::fflush(out_) != 0) fail();
#if __has_include(<unistd.h>)
    // Onto the disk before it replaces the old recording.
    if (!failure_ && fsync(fileno(out_)) != 0) fail();
#endif
    errno = 0;
    if (std::fclose(out_) != 0) fail();
    out_ = nullptr;
    std::error_code error;
    if (!failure_) {
        std::filesystem::rename(temporary_, file_, error);
        if (error) failure_ = file_.string() + ": " + fileErrorReason(error.value());
    }
    if (!failure_) return std::nullopt;
    std::filesystem::remove(temporary_, error);
    return failure_;
}

} // namespace zembera
