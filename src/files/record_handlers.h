#pragma once
// The recording frame: recording the plucks of a performance into "kayıt.txt", replaying it,
// pausing and stopping.
//
// Thread: UI thread only. The replay is a loop that lets the window handle its events once per
// note, so stop_buton_Click and pause_buton_Click run from inside Play_buton_Click.

#include "files/files_parts.h"
#include "files/record_file.h"

namespace zembera {

inline constexpr const char* kNoRecording = "önceden yapılmış bir kayıt bulunamadı";
inline constexpr const char* kRecordFileFault = "kayıt dosyasından kaynaklanan bir hata oluştu";
inline constexpr const char* kPaused = "durduruldu";
// The recording file cannot be created; followed by its path.
inline constexpr const char* kRecordFileNotCreated = "kayıt dosyası açılamadı: ";

class RecordHandlers {
  public:
    explicit RecordHandlers(FilesParts& parts) : p_(parts) {}

    // Starts a new recording (the old kayıt.txt is deleted).
    void rec_buton_Click();
    // Ends a recording (writing the line of the last pluck) or a replay (after its current note).
    void stop_buton_Click();
    // Replays kayıt.txt.
    void Play_buton_Click();
    // Shows "durduruldu"; a replay waits until the message is closed.
    void pause_buton_Click();

    // Where the pluck handler writes while a recording runs.
    PluckRecorder& recorder() { return recordFile_; }
    std::filesystem::path recordFilePath() const;

  private:
    void setIdleControls();
    void setBusyControls(bool replaying);
    // Sounds one replayed note in the mode of Option3 and waits for its duration.
    void replayNote(const RecordEntry& entry);

    FilesParts& p_;
    RecordFile recordFile_;
};

} // namespace zembera
