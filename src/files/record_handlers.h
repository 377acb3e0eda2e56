#pragma once
// The recording frame: recording the plucks of a performance into "kayıt.txt", replaying it,
// pausing and stopping.
//
// Thread: UI thread only. The replay runs on the note player: Play_buton_Click starts it and
// returns, and each note is drawn and started from the player's timer.

#include <optional>
#include <string>

#include "files/files_parts.h"
#include "files/played_note.h"
#include "files/record_file.h"

namespace zembera {

inline constexpr const char* kNoRecording = "önceden yapılmış bir kayıt bulunamadı";
inline constexpr const char* kRecordFileFault = "kayıt dosyasından kaynaklanan bir hata oluştu";
inline constexpr const char* kPaused = "durduruldu";
// A recording could not be written; a second line gives the file and the reason.
inline constexpr const char* kRecordFileNotWritten = "kayıt dosyası yazılamadı";

class RecordHandlers {
  public:
    explicit RecordHandlers(FilesParts& parts) : p_(parts) {}

    // Starts a new recording; it replaces kayıt.txt when it is stopped.
    void rec_buton_Click();
    // Ends a recording (writing the line of the last pluck) or a replay (cutting its note).
    void stop_buton_Click();
    // Starts replaying kayıt.txt; the controls come back when it ends.
    void Play_buton_Click();
    // Shows "durduruldu"; a replay or score playing cuts its notes and holds until the message
    // is closed, then goes on with its next note at once.
    void pause_buton_Click();

    // Where the pluck handler writes while a recording runs.
    PluckRecorder& recorder() { return recordFile_; }
    std::filesystem::path recordFilePath() const;
    // A recording of any folder becomes the one replayed, until a new recording is started.
    void chooseReplayFile(const std::filesystem::path& file) { replayFile_ = file; }
    // The recording Play_buton replays: the one chosen, else kayıt.txt.
    std::filesystem::path replayFilePath() const { return replayFile_.value_or(recordFilePath()); }

  private:
    void setIdleControls();
    void setBusyControls(bool replaying);
    // The end of a replay: the fault that ended it said, the controls as they were.
    void endReplay(const std::optional<FormatError>& fault);

    FilesParts& p_;
    RecordFile recordFile_;
    std::optional<std::filesystem::path> replayFile_;
};

} // namespace zembera
