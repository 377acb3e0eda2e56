#pragma once
// The recording file "kayıt.txt" in the sample folder: one line per pluck with the string, its
// mandal position and the milliseconds to the next pluck (or to the stop), each number printed
// as the toolkit prints it in a zone of 14 characters, the line ended with CR LF:
//     " 5            3             120 \r\n"
//
// Thread: UI thread only.

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>

#include "common/text_fields.h"
#include "files/recording_state.h"

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

// The open recording file. Every line is flushed as soon as it is written, so a recording cut off
// by a crash keeps its plucks.
class RecordFile : public PluckRecorder {
  public:
    RecordFile() = default;
    ~RecordFile() override { close(); }
    RecordFile(const RecordFile&) = delete;
    RecordFile& operator=(const RecordFile&) = delete;

    // Deletes `file` if it exists and opens a new one for appending; false when it cannot be
    // created.
    bool startNew(const std::filesystem::path& file);
    bool isOpen() const { return file_ != nullptr; }
    // A no-op when nothing is open.
    void close();

    // Writes one line; nothing happens while no file is open.
    void writePluck(int string, int mandal, std::int32_t elapsedMs) override;

  private:
    std::FILE* file_ = nullptr;
};

} // namespace zembera
