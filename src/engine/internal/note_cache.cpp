#include "internal/note_cache.h"

#include <algorithm>

#include "internal/limits.h"

namespace zembera::engine {

const Note* NoteCache::find(const Key& key) {
    for (Entry& entry : entries_) {
        if (entry.key == key) {
            entry.used = ++clock_;
            return &entry.note;
        }
    }
    return nullptr;
}

void NoteCache::keep(const Key& key, const Note& note) {
    entries_.push_back(Entry{key, note, ++clock_});
    // The least recently used go first, until what is kept fits both limits.
    std::size_t frames = 0;
    for (const Entry& entry : entries_)
        frames += entry.note.count;
    while (entries_.size() > 1 && (entries_.size() > kCachedNotes || frames > kCachedFrames)) {
        const auto oldest =
            std::min_element(entries_.begin(), entries_.end(),
                             [](const Entry& a, const Entry& b) { return a.used < b.used; });
        frames -= oldest->note.count;
        entries_.erase(oldest);
    }
}

} // namespace zembera::engine
