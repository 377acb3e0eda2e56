#pragma once
// The notes an engine has made, kept for the next time the same string sounds the same pitch:
// the most recently used within kCachedNotes notes and kCachedFrames frames.
//
// Thread: UI thread (the engine's control thread).

#include <cstdint>
#include <vector>

#include "engine/note.h"

namespace zembera::engine {

class NoteCache {
  public:
    struct Key {
        int string = 0;
        Resampling how = Resampling::stepped;
        float cents = 0;
        bool operator==(const Key&) const = default;
    };

    // The note made for `key`, or null.
    const Note* find(const Key& key);
    void keep(const Key& key, const Note& note);
    void clear() { entries_.clear(); }

  private:
    struct Entry {
        Key key;
        Note note;
        std::uint64_t used = 0;
    };
    std::vector<Entry> entries_;
    std::uint64_t clock_ = 0;
};

} // namespace zembera::engine
