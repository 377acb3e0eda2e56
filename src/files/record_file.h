#pragma once
// The recording file "kayıt.txt" in the sample folder: one line per pluck with the string, its
// mandal position and the milliseconds to the next pluck (or to the stop), each number printed
// as the toolkit prints it in a zone of 14 characters, the line ended with CR LF:
//     " 5            3             120 \r\n"
//
// Thread: UI thread only.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "common/safe_write.h"
#include "common/text_fields.h"
#include "model/recording_state.h"

namespace zembera {

inline constexpr const char* kRecordFileName = "kayıt.txt";

// One line of the recording file.
std::string recordLine(int string, int mandal, std::int32_t elapsedMs);

// One pluck as read back.
struct RecordEntry {
    int string = 0; // 1..26
    int mandal = 0;
    std::int32_t durationMs = 0;
};

// Reads the next line's three fields. Throws FormatError when a field is missing or not a whole
// number, when the string is outside 1..26, the mandal outside 16 bits or the duration outside
// 32 bits.
RecordEntry readRecordEntry(FieldReader& reader);

// The recording being written. Its lines go to a temporary file beside the recording file (see
// SafeWrite), each passed on to the system as soon as it is written. Only a
// recording written in full is renamed over the recording file: a full disk or a read-only
// folder leaves the previous recording as it was.
class RecordFile : public PluckRecorder {
  public:
    RecordFile() = default;
    // An unfinished recording is abandoned: its temporary file is removed.
    ~RecordFile() override;
    RecordFile(const RecordFile&) = delete;
    RecordFile& operator=(const RecordFile&) = delete;

    // Starts a recording that will replace `file`. The reason when its temporary file cannot be
    // created (nothing is then open).
    std::optional<std::string> startNew(const std::filesystem::path& file);
    bool isOpen() const { return out_ != nullptr; }

    // Writes one line; nothing happens while no file is open or after a failed write.
    void writePluck(int string, int mandal, std::int32_t elapsedMs) override;

    // Ends the recording: the temporary file is closed and renamed over the recording file.
    // The reason of the first failure instead, and then the temporary file is removed. Nothing
    // happens (and nothing is returned) when no recording is open.
    std::optional<std::string> finish();

  private:
    std::unique_ptr<SafeWrite> out_;
    std::filesystem::path file_;
};

} // namespace zembera
