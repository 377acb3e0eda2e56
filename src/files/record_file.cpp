#include "files/record_file.h"

#include <limits>

#include "common/basic_print.h"

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

bool RecordFile::startNew(const std::filesystem::path& file) {
    close();
    std::error_code ignored;
    std::filesystem::remove(file, ignored);
    file_ = std::fopen(file.c_str(), "ab");
    return file_ != nullptr;
}

void RecordFile::close() {
    if (file_ != nullptr) std::fclose(file_);
    file_ = nullptr;
}

void RecordFile::writePluck(int string, int mandal, std::int32_t elapsedMs) {
    if (file_ == nullptr) return;
    const std::string line = recordLine(string, mandal, elapsedMs);
    std::fwrite(line.data(), 1, line.size(), file_);
    std::fflush(file_);
}

} // namespace zembera
