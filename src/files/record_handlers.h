#pragma once
// The recording frame: recording the plucks of a performance into "kayıt.txt", replaying it,
// pausing and stopping.
//
// Thread: UI thread only. The replay is a loop that lets the window handle its events while its
// notes sound, so stop_buton_Click and pause_buton_Click run from inside Play_buton_Click.

#include <functional>
#include <optional>

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
    // Replays kayıt.txt.
    void Play_buton_Click();
    // Shows "durduruldu"; a replay cuts its note and waits until the message is closed.
    void pause_buton_Click();
    // Runs as a pause cuts the sounding note, for players with notes beside the memory channel.
    std::function<void()> onPause;

    // Where the pluck handler writes while a recording runs.
    PluckRecorder& recorder() { return recordFile_; }
    std::filesystem::path recordFilePath() const;

  private:
    void setIdleControls();
    void setBusyControls(bool replaying);
    // The notes of the open recording file, each from its onset on `clock`.
    void replayNotes(FieldReader& reader, NoteClock& clock);

    FilesParts& p_;
    RecordFile recordFile_;
};

} // namespace zembera
