#include "files/note_player.h"

#include <algorithm>
#include <memory>
#include <utility>

namespace zembera {

NotePlayer::NotePlayer(TickSource ticks, double leadMs)
    : ticks_(std::move(ticks)), lead_(std::max(0.0, leadMs)) {}

NotePlayer::~NotePlayer() {
    // The piece's sink may refer to what is being torn down with the player: only the wake-up
    // goes.
    if (playing_ && ticks_.cancel) ticks_.cancel();
}

void NotePlayer::play(NoteSink piece) {
    if (playing_) stop();
    sink_ = std::move(piece);
    playing_ = true;
    paused_ = false;
    drawn_ = false;
    ended_ = false;
    begun_ = false;
    next_ = 0;
    length_ = 0;
    drawCost_ = 0;
    start_ = ticks_.nowMs();
    tick();
}

void NotePlayer::tick() {
    if (!playing_ || paused_) return;
    for (;;) {
        const double now = ticks_.nowMs() - start_;
        if (!drawn_ && !ended_ && next_ - lead() <= now) {
            const double before = ticks_.nowMs();
            const std::optional<double> length = sink_.draw();
            drawCost_ = ticks_.nowMs() - before;
            if (!playing_ || paused_) return; // the drawing ended or held the piece
            if (length) {
                drawn_ = true;
                length_ = std::max(0.0, *length);
            } else {
                ended_ = true;
            }
            continue;
        }
        if (drawn_ && next_ <= now) {
            // The schedule starts as the first note does, its drawing done.
            if (!begun_) start_ = ticks_.nowMs() - next_;
            begun_ = true;
            drawn_ = false;
            next_ += length_;
            sink_.start();
            if (!playing_ || paused_) return;
            continue;
        }
        if (ended_ && next_ <= now) {
            finish();
            return;
        }
        break;
    }
    schedule();
}

double NotePlayer::lead() const {
    return std::max(lead_, std::min(drawCost_, kMaxLeadMs));
}

void NotePlayer::schedule() {
    // A drawn note waits for its onset, the end for its time; the drawing of the next note waits
    // for its lead.
    const double due = drawn_ || ended_ ? next_ : next_ - lead();
    ticks_.wakeIn(std::max(0.0, due - (ticks_.nowMs() - start_)));
}

void NotePlayer::finish() {
    playing_ = false;
    paused_ = false;
    ticks_.cancel();
    // The sink may start another piece from its end: it is let go before it runs.
    NoteSink done = std::exchange(sink_, NoteSink{});
    if (done.silence) done.silence();
    if (done.finished) done.finished();
}

void NotePlayer::stop() {
    if (!playing_) return;
    finish();
}

void NotePlayer::pause() {
    if (!playing_ || paused_) return;
    paused_ = true;
    ticks_.cancel();
    if (sink_.silence) sink_.silence();
}

void NotePlayer::resume() {
    if (!playing_ || !paused_) return;
    paused_ = false;
    // The next note (or the end) is due at once and the rest follow at their distances.
    start_ = ticks_.nowMs() - next_;
    tick();
}

NoteSink listedNotes(NoteEvents piece, std::function<void(std::size_t index)> draw,
                     std::function<void(std::size_t index)> start, std::function<void()> silence,
                     std::function<void()> finished) {
    struct Walk {
        NoteEvents piece;
        std::size_t first = 0; // of the onset drawn
        std::size_t end = 0;   // after it
    };
    auto walk = std::make_shared<Walk>(Walk{std::move(piece)});
    NoteSink sink;
    sink.draw = [walk, draw = std::move(draw)]() -> std::optional<double> {
        const auto& events = walk->piece.events;
        if (walk->end >= events.size()) return std::nullopt;
        walk->first = walk->end;
        // A chord's further notes are drawn with their first.
        do
            draw(walk->end++);
        while (walk->end < events.size() && events[walk->end].together);
        const double onset = events[walk->first].onsetMs;
        const double next =
            walk->end < events.size() ? events[walk->end].onsetMs : walk->piece.endMs;
        return next - onset;
    };
    sink.start = [walk, start = std::move(start)] {
        for (std::size_t i = walk->first; i < walk->end; ++i)
            start(i);
    };
    sink.silence = std::move(silence);
    sink.finished = std::move(finished);
    return sink;
}

} // namespace zembera
