#include "files/note_player.h"

#include <algorithm>
#include <utility>

namespace zembera {

NotePlayer::NotePlayer(TickSource ticks, NoteSink sink, double leadMs)
    : ticks_(std::move(ticks)), sink_(std::move(sink)), lead_(std::max(0.0, leadMs)) {}

void NotePlayer::play(NoteEvents piece) {
    if (playing_) stop();
    piece_ = std::move(piece);
    playing_ = true;
    paused_ = false;
    drawn_ = 0;
    started_ = 0;
    start_ = ticks_.nowMs();
    tick();
}

double NotePlayer::nextDue() const {
    const auto& events = piece_.events;
    // A drawn note waits for its onset; the drawing of the next waits for the start before it.
    if (drawn_ > started_) return events[started_].onsetMs;
    if (started_ < events.size()) return events[started_].onsetMs - lead_;
    return piece_.endMs;
}

void NotePlayer::tick() {
    if (!playing_ || paused_) return;
    const auto& events = piece_.events;
    for (;;) {
        const double now = ticks_.nowMs() - start_;
        // Everything due by now, in order: the drawing of a note precedes its start.
        if (drawn_ < events.size() && drawn_ <= started_ && events[drawn_].onsetMs - lead_ <= now) {
            sink_.draw(drawn_++);
            // A chord's further notes are drawn with their first.
            while (drawn_ < events.size() && events[drawn_].together)
                sink_.draw(drawn_++);
            continue;
        }
        if (started_ < drawn_ && events[started_].onsetMs <= now) {
            sink_.start(started_++);
            while (started_ < drawn_ && events[started_].together)
                sink_.start(started_++);
            continue;
        }
        if (started_ == events.size() && piece_.endMs <= now) {
            finish();
            return;
        }
        break;
    }
    schedule();
}

void NotePlayer::schedule() {
    ticks_.wakeIn(std::max(0.0, nextDue() - (ticks_.nowMs() - start_)));
}

void NotePlayer::finish() {
    playing_ = false;
    paused_ = false;
    ticks_.cancel();
    sink_.silence();
    if (sink_.finished) sink_.finished();
}

void NotePlayer::stop() {
    if (!playing_) return;
    finish();
}

void NotePlayer::pause() {
    if (!playing_ || paused_) return;
    paused_ = true;
    ticks_.cancel();
    sink_.silence();
}

void NotePlayer::resume() {
    if (!playing_ || !paused_) return;
    paused_ = false;
    // The next note starts at once and the rest follow at their distances; paused after the
    // last onset, the piece ends at once.
    const auto& events = piece_.events;
    const double next = started_ < events.size() ? events[started_].onsetMs : piece_.endMs;
    start_ = ticks_.nowMs() - next;
    tick();
}

} // namespace zembera
