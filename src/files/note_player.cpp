#include "files/note_player.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <utility>

namespace zembera {

NotePlayer::NotePlayer(TickSource ticks, SoundPort& sound, double handOverMs, double showLeadMs)
    : ticks_(std::move(ticks)), sound_(sound), handOverMs_(std::max(0.0, handOverMs)),
      showLeadMs_(std::max(0.0, showLeadMs)) {}

NotePlayer::~NotePlayer() {
    // The piece's sink may refer to what is being torn down with the player: only the wake-up
    // goes.
    if (playing_ && ticks_.cancel) ticks_.cancel();
}

SoundFrame NotePlayer::framesOf(double ms) const {
    return std::llround(std::max(0.0, ms) * sound_.frameRate() / 1000.0);
}

SoundFrame NotePlayer::frameOf(double pieceMs) const {
    return start_ + framesOf(pieceMs);
}

void NotePlayer::play(NoteSink piece) {
    if (playing_) stop();
    sink_ = std::move(piece);
    playing_ = true;
    paused_ = false;
    ended_ = false;
    nextMs_ = 0;
    handed_.clear();
    start_ = sound_.nextFrame();
    tick();
}

bool NotePlayer::showDue() {
    const SoundFrame played = sound_.playedFrame();
    const SoundFrame shownTo = played + framesOf(showLeadMs_);
    for (std::size_t i = 0; i < handed_.size() && handed_[i].at <= shownTo; ++i) {
        if (handed_[i].shown) continue;
        handed_[i].shown = true;
        const std::function<void()> show = handed_[i].onset.show;
        if (show) show();
        if (!playing_ || paused_) return false;
    }
    while (!handed_.empty() && handed_.front().shown && handed_.front().at <= played)
        handed_.pop_front();
    return true;
}

void NotePlayer::tick() {
    if (!playing_ || paused_) return;
    if (!showDue()) return;
    // Every onset due within the horizon is handed over, stamped with its own frame.
    const SoundFrame horizon = sound_.nextFrame() + framesOf(handOverMs_);
    while (!ended_ && frameOf(nextMs_) <= horizon) {
        std::optional<Onset> onset = sink_.read();
        if (!playing_ || paused_) return; // the reading ended or held the piece
        const SoundFrame at = frameOf(nextMs_);
        if (!onset) {
            ended_ = true;
            endFrame_ = at;
            if (sink_.end) sink_.end(at);
            break;
        }
        if (onset->sound) onset->sound(at);
        nextMs_ += std::max(0.0, onset->lengthMs);
        handed_.push_back(Handed{at, std::move(*onset)});
    }
    if (!showDue()) return;
    if (ended_ && handed_.empty() && sound_.playedFrame() >= endFrame_) {
        finish(false);
        return;
    }
    schedule();
}

void NotePlayer::schedule() {
    // Up at the next onset to show, the next one heard, the next one to hand over, or the end.
    SoundFrame due = ended_ ? endFrame_ : frameOf(nextMs_) - framesOf(handOverMs_);
    for (const Handed& h : handed_) {
        due = std::min(due, h.shown ? h.at : h.at - framesOf(showLeadMs_));
        if (!h.shown) break;
    }
    const SoundFrame played = sound_.playedFrame();
    ticks_.wakeIn(std::max(0.0, static_cast<double>(due - played) * 1000.0 / sound_.frameRate()));
}

void NotePlayer::finish(bool silence) {
    playing_ = false;
    paused_ = false;
    ticks_.cancel();
    handed_.clear();
    // The sink may start another piece from its end: it is let go before it runs.
    NoteSink done = std::exchange(sink_, NoteSink{});
    if (silence && done.silence) done.silence();
    if (done.finished) done.finished();
}

void NotePlayer::stop() {
    if (!playing_) return;
    finish(true);
}

void NotePlayer::pause() {
    if (!playing_ || paused_) return;
    // What was handed over and not heard waits for the resume.
    paused_ = true;
    ticks_.cancel();
    if (sink_.silence) sink_.silence();
    const SoundFrame played = sound_.playedFrame();
    while (!handed_.empty() && handed_.front().at < played)
        handed_.pop_front();
}

void NotePlayer::resume() {
    if (!playing_ || !paused_) return;
    paused_ = false;
    // The next onset not heard (or the end) is due at once and the rest follow at their distances:
    // the piece's clock moves to it (the note cut by the pause gives up the rest of its time), and
    // what was handed over is handed over again.
    const SoundFrame first =
        handed_.empty() ? (ended_ ? endFrame_ : frameOf(nextMs_)) : handed_.front().at;
    const SoundFrame moved = sound_.nextFrame() - first;
    start_ += moved;
    for (Handed& h : handed_) {
        h.at += moved;
        if (h.onset.sound) h.onset.sound(h.at);
    }
    if (ended_) {
        endFrame_ += moved;
        if (sink_.end) sink_.end(endFrame_);
    }
    tick();
}

NoteSink listedNotes(NoteEvents piece, std::function<void(std::size_t index, SoundFrame at)> sound,
                     std::function<void(std::size_t index)> show,
                     std::function<void(SoundFrame at)> end, std::function<void()> silence,
                     std::function<void()> finished) {
    auto events = std::make_shared<NoteEvents>(std::move(piece));
    auto next = std::make_shared<std::size_t>(0);
    NoteSink sink;
    sink.read = [events, next, sound = std::move(sound),
                 show = std::move(show)]() -> std::optional<Onset> {
        const auto& list = events->events;
        if (*next >= list.size()) return std::nullopt;
        const std::size_t first = *next;
        // A chord's further notes go with their first.
        std::size_t after = first + 1;
        while (after < list.size() && list[after].together)
            ++after;
        *next = after;
        const double nextOnset = after < list.size() ? list[after].onsetMs : events->endMs;
        Onset onset;
        onset.lengthMs = nextOnset - list[first].onsetMs;
        onset.sound = [sound, first, after](SoundFrame at) {
            for (std::size_t i = first; i < after; ++i)
                sound(i, at);
        };
        onset.show = [show, first, after] {
            for (std::size_t i = first; i < after; ++i)
                show(i);
        };
        return onset;
    };
    sink.end = std::move(end);
    sink.silence = std::move(silence);
    sink.finished = std::move(finished);
    return sink;
}

} // namespace zembera
