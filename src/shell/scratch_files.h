#pragma once
// The strings' scratch files "<n>zz.zz": each holds its string's sound as the letter key last
// played it (or as it stands at start-up), a canonical 16-bit mono WAV file at the engine's rate.
// They are written on a thread of their own, never between a key and its sound: the key sounds
// the note in memory, and its file follows.
//
// Thread: UI thread, but for the writing thread inside.

#include <condition_variable>
#include <deque>
#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "engine/note.h"
#include "pitch/per_string.h"

namespace zembera {

class ScratchFiles {
  public:
    explicit ScratchFiles(std::filesystem::path folder);
    // Writes what is still queued, then ends the writing thread.
    ~ScratchFiles();
    ScratchFiles(const ScratchFiles&) = delete;
    ScratchFiles& operator=(const ScratchFiles&) = delete;

    // Name of the scratch file of string s: "12zz.zz".
    static std::string fileName(int s);
    std::filesystem::path file(int s) const { return folder_ / fileName(s); }

    // Makes sure the file of string s holds `note` (a silent note: an empty file), writing it
    // whole when it holds another note or is missing. A file that cannot be written (a read-only
    // folder) keeps whatever was there, and the same note is not tried again.
    void write(int s, const engine::Note& note, double rate);
    // Waits until every write asked for is done.
    void wait();

  private:
    struct Job {
        int string = 0;
        engine::Note note;
        double rate = 0;
    };
    void run();

    std::filesystem::path folder_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Job> jobs_;
    bool busy_ = false;
    bool ending_ = false;
    // The writing thread's own: the note each file holds, and the note whose write failed (kept,
    // so that no other note takes their place in memory and passes for them).
    PerString<std::optional<engine::Note>> written_{};
    PerString<std::optional<engine::Note>> failed_{};
    std::thread writer_;
};

} // namespace zembera
