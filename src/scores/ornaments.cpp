#include "scores/ornaments.h"

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

namespace zembera::scores {
namespace {

constexpr double kShortestStrokeMs = 40.0;

double msPerBeatOf(const ScoreNote& n) {
    return n.beats > 0 && n.ms > 0 ? n.ms / n.beats : 60000.0 / kDefaultTempo;
}

// The index in `out` of the last note that is not a chord's further note, or -1.
int lastMain(const std::vector<ScoreNote>& out) {
    for (int i = static_cast<int>(out.size()) - 1; i >= 0; --i)
        if (!out[static_cast<std::size_t>(i)].chord) return i;
    return -1;
}

// `ms` taken from the end (or start) of `from`, which keeps its tempo.
void shorten(ScoreNote& from, double ms) {
    const double perBeat = msPerBeatOf(from);
    from.ms -= ms;
    from.beats -= ms / perBeat;
}

ScoreNote stroke(const ScoreNote& main, const ScorePitch* pitch, double ms, double perBeat) {
    ScoreNote n = main;
    n.ornament = Ornament::none;
    n.chord = false;
    n.grace = false;
    if (pitch) {
        n.step = pitch->step;
        n.octave = pitch->octave;
        n.cents = pitch->cents;
    }
    n.ms = ms;
    n.beats = ms / perBeat;
    return n;
}

// The length of grace note `g` taking its time from `from`: the share it names, else `usual`.
double stolen(const ScoreNote& g, const ScoreNote& from, double usual) {
    return g.stealPercent > 0 ? from.ms * g.stealPercent / 100 : usual;
}

// Grace notes become short notes taking their time from their neighbours.
std::vector<ScoreNote> placeGraceNotes(const std::vector<ScoreNote>& in, int& count) {
    std::vector<ScoreNote> out;
    std::vector<ScoreNote> waiting; // on-beat grace notes before their main note
    for (std::size_t i = 0; i < in.size(); ++i) {
        const ScoreNote& n = in[i];
        if (!n.grace) {
            if (!waiting.empty() && !n.chord) {
                ScoreNote main = n;
                const double perBeat = msPerBeatOf(main);
                const double each = std::min(graceMs(perBeat),
                                             main.ms / (2.0 * static_cast<double>(waiting.size())));
                for (ScoreNote& g : waiting) {
                    const double ms = std::min(stolen(g, n, each), main.ms / 2);
                    g = stroke(g, nullptr, ms, perBeat);
                    shorten(main, ms);
                    out.push_back(g);
                }
                waiting.clear();
                out.push_back(main);
                continue;
            }
            out.push_back(n);
            continue;
        }
        if (n.rest) continue;
        ++count;
        const int before = lastMain(out);
        if (!n.onBeat && before >= 0 && out[static_cast<std::size_t>(before)].ms > 0) {
            ScoreNote& prev = out[static_cast<std::size_t>(before)];
            const double perBeat = msPerBeatOf(prev);
            const double ms = std::min(stolen(n, prev, graceMs(perBeat)), prev.ms / 2);
            shorten(prev, ms);
            out.push_back(stroke(n, nullptr, ms, perBeat));
        } else {
            waiting.push_back(n);
        }
    }
    return out;
}

// A tremolo's stroke, doubled while shorter than kShortestStrokeMs.
double strokeMs(const ScoreNote& n, double perBeat) {
    double length = (n.strokeBeats > 0 ? n.strokeBeats : 0.125) * perBeat;
    while (length < kShortestStrokeMs)
        length *= 2;
    return length;
}

// The strokes of one ornamented note (its chord notes are placed by the caller).
std::vector<ScoreNote> figure(const ScoreNote& n) {
    const double perBeat = msPerBeatOf(n);
    const double ms = n.ms;
    std::vector<ScoreNote> s;
    auto add = [&](const ScorePitch* p, double length) {
        s.push_back(stroke(n, p, length, perBeat));
    };
    switch (n.ornament) {
    case Ornament::trill: {
        const double group = ms / 4;
        const double upper = std::min(group / 2, perBeat / 8);
        for (int g = 0; g < 4; ++g) {
            add(&n.aux, upper);
            add(nullptr, group - upper);
        }
        break;
    }
    case Ornament::mordent: {
        const double quick = std::min(ms / 8, perBeat / 8);
        add(nullptr, quick);
        add(&n.aux, quick);
        add(nullptr, ms - 2 * quick);
        break;
    }
    case Ornament::lateMordent:
        add(nullptr, ms / 2);
        add(&n.aux, ms / 4);
        add(nullptr, ms / 4);
        break;
    case Ornament::turn: {
        const double quick = std::min(ms / 12, perBeat / 6);
        add(&n.aux, quick);
        add(nullptr, quick);
        add(&n.aux2, quick);
        add(nullptr, ms - 3 * quick);
        break;
    }
    case Ornament::delayedTurn: {
        const double quick = std::min(ms / 8, perBeat / 8);
        add(nullptr, ms - 4 * quick);
        add(&n.aux, quick);
        add(nullptr, quick);
        add(&n.aux2, quick);
        add(nullptr, quick);
        break;
    }
    case Ornament::alternation: {
        const double length = strokeMs(n, perBeat);
        const int pairs = std::max(1, static_cast<int>(std::lround(ms / (2 * length))));
        for (int k = 0; k < 2 * pairs; ++k)
            add(k % 2 == 0 ? nullptr : &n.aux, ms / (2 * pairs));
        break;
    }
    case Ornament::tremolo: {
        const double length = strokeMs(n, perBeat);
        const int strokes = std::max(1, static_cast<int>(std::lround(ms / length)));
        for (int k = 0; k < strokes; ++k)
            add(nullptr, ms / strokes);
        break;
    }
    case Ornament::none:
    case Ornament::glissando:
        add(nullptr, ms);
        break;
    }
    return s;
}

} // namespace

double graceMs(double msPerBeat) {
    const double tempo = 60000.0 / msPerBeat;
    return tempo < 90 ? msPerBeat / 16 : msPerBeat / 8;
}

void playOut(Score& score) {
    std::vector<ScoreNote> placed = placeGraceNotes(score.notes, score.graceNotes);
    std::vector<ScoreNote> out;
    out.reserve(placed.size());
    for (std::size_t i = 0; i < placed.size();) {
        std::size_t end = i + 1;
        while (end < placed.size() && placed[end].chord)
            ++end;
        const ScoreNote& n = placed[i];
        if (n.rest || n.ornament == Ornament::none || !(n.ms > 0)) {
            out.insert(out.end(), placed.begin() + static_cast<std::ptrdiff_t>(i),
                       placed.begin() + static_cast<std::ptrdiff_t>(end));
            i = end;
            continue;
        }
        if (n.ornament == Ornament::glissando)
            ++score.glissandi;
        else
            ++score.ornaments;
        const std::vector<ScoreNote> strokes = figure(n);
        out.push_back(strokes.front());
        for (std::size_t k = i + 1; k < end; ++k)
            out.push_back(placed[k]);
        out.insert(out.end(), strokes.begin() + 1, strokes.end());
        i = end;
    }
    if (out.size() > kMaxScoreNotes) out.resize(kMaxScoreNotes);
    score.notes = std::move(out);
}

} // namespace zembera::scores
