#include "files/record_file.h"

#include <limits>

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

RecordFile::~RecordFile() = default;

std::optional<std::string> RecordFile::startNew(const std::filesystem::path& file) {
    file_ = file;
    out_ = std::make_unique<SafeWrite>(file);
    if (!out_->failure()) return std::nullopt;
    std::optional<std::string> reason = file_.string() + ": " + *out_->failure();
    out_.reset();
    return reason;
}

void RecordFile::writePluck(int string, int mandal, std::int32_t elapsedMs) {
    // Unbuffered: each line reaches the system as it is written.
    if (out_ != nullptr) out_->write(recordLine(string, mandal, elapsedMs));
}

std::optional<std::string> RecordFile::finish() {
    if (out_ == nullptr) return std::nullopt;
    std::optional<std::string> failure;
    if (!out_->commit()) failure = file_.string() + ": " + out_->failure().value_or("yazılamadı");
    out_.reset();
    return failure;
}

} // namespace zembera
