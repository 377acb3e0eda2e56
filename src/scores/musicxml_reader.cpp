#include "scores/musicxml_reader.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <utility>
#include <vector>

#include "scores/musicxml_line.h"
#include "scores/musicxml_parts.h"
#include "scores/musicxml_pitch.h"
#include "scores/ornaments.h"
#include "scores/repeat_order.h"

namespace zembera::scores {
namespace {

// Most measures played through repeats and jumps.
constexpr std::size_t kMaxPlayedMeasures = 20000;
constexpr double kEpsilon = 1e-6;

class Assembler {
  public:
    Assembler(MusicXmlParts parts, const std::string& fileName)
        : in_(std::move(parts)), fileName_(fileName) {
        score_.title = in_.title;
    }

    Score run(const ScoreChoice& choice) {
        for (const Part& p : in_.parts) {
            const auto name = in_.partNames.find(p.id);
            score_.parts.push_back(name != in_.partNames.end() && !name->second.empty()
                                       ? p.id + ": " + name->second
                                       : p.id);
        }
        score_.part = choice.part >= 0 ? std::min(choice.part, partCount() - 1) : firstPitched();
        const Part& part = in_.parts[static_cast<std::size_t>(score_.part)];
        for (const Measure& m : part.measures)
            for (const RawNote& n : m.notes)
                if (std::find(score_.voices.begin(), score_.voices.end(), n.voice) ==
                    score_.voices.end())
                    score_.voices.push_back(n.voice);
        if (score_.voices.empty()) throwScoreError(fileName_, "partisyonda nota yok");
        score_.voice = std::clamp(choice.voice, 0, static_cast<int>(score_.voices.size()) - 1);

        const MusicXmlPitch signs(PitchReading::commas, in_.keyInCommas);
        score_.keyAltersDiffer =
            std::any_of(part.keys.begin(), part.keys.end(),
                        [&](const KeySignature& k) { return signs.keyAltersDiffer(k); });
        chooseReading(choice.reading);
        const MusicXmlPitch pitch(score_.reading, in_.keyInCommas);
        if (part.keys.size() > 1) score_.keySignature = pitch.keyText(part.keys[1]);
        const std::vector<std::vector<ScoreNote>> pitched = pitchedNotes(part, pitch);

        std::vector<MeasureMarks> marks;
        for (const Measure& m : part.measures)
            marks.push_back(m.marks);
        const std::vector<int> order = playOrder(marks, kMaxPlayedMeasures);
        bool inOrder = order.size() == part.measures.size();
        for (std::size_t i = 0; inOrder && i < order.size(); ++i)
            inOrder = order[i] == static_cast<int>(i);
        if (!inOrder) score_.playedMeasures = static_cast<int>(order.size());
        remarkEndings(part, endingGroups(marks));
        gatherTempos();
        remarkTempos(part);
        if (!order.empty() && written_)
            score_.tempo = tempoAt(static_cast<std::size_t>(order.front()), 0);

        Line line(score_, fileName_);
        const std::string& voice = score_.voices[static_cast<std::size_t>(score_.voice)];
        for (const int mi : order) {
            const auto index = static_cast<std::size_t>(mi);
            line.addMeasure(part.measures[index], pitched[index], voice, measureLength(index),
                            [&](double position) { return tempoAt(index, position); });
        }
        line.finish();
        if (score_.noteCount() == 0) throwScoreError(fileName_, "partisyonda nota yok");
        playOut(score_);
        return std::move(score_);
    }

  private:
    int partCount() const { return static_cast<int>(in_.parts.size()); }

    // The part played unless one is chosen: the first with a pitched note.
    int firstPitched() const {
        for (int p = 0; p < partCount(); ++p)
            if (in_.parts[static_cast<std::size_t>(p)].hasPitches()) return p;
        return 0;
    }

    void chooseReading(PitchReading wanted) {
        if (wanted != PitchReading::automatic) {
            score_.reading = wanted;
            score_.readingReason = "seçilen";
        } else if (in_.symbtrConverter) {
            // The converter writes the makam's key (F +3 in Hüseyni) and each note's sign as
            // Arel-Ezgi-Uzdilek spells it. Where the two differ, the .txt the file was made from
            // sounds 93 % of the corpus's 55,365 such notes at the key's commas, but 95 % of
            // 6,565 at the sign's in the songs written without their words (a poet named, no
            // <lyric> text).
            const bool unwordedSong = in_.lyricist && !in_.lyrics;
            score_.reading = score_.keyAltersDiffer && !unwordedSong ? PitchReading::keyCommas
                                                                     : PitchReading::commas;
            score_.readingReason = "SymbTr dönüştürücüsüyle yazılmış";
            if (score_.keyAltersDiffer && unwordedSong)
                score_.readingReason += ", sözleri yazılmamış şarkı";
        } else if (in_.keyInCommas) {
            score_.reading = PitchReading::commas;
            score_.readingReason = "donanımda koma değerleri (<key-alter> ±2,5'ten büyük)";
        } else if (in_.turkishGlyphs) {
            score_.reading = PitchReading::commas;
            score_.readingReason = "yalnızca Arel-Ezgi-Uzdilek yazısında olan işaretler";
        } else {
            score_.reading = PitchReading::exact;
            score_.readingReason = "standart MusicXML";
        }
    }

    // The pitches of every note in file order, where the signs of a measure are in force; an
    // unpitched (percussion) note is a rest. SymbTr's converter writes no alteration on grace
    // notes: read in commas, such a grace note takes the sign in force on its step
    // (graceCommas).
    std::vector<std::vector<ScoreNote>> pitchedNotes(const Part& part, const MusicXmlPitch& pitch) {
        std::vector<std::vector<ScoreNote>> pitched(part.measures.size());
        CarriedCommas tied, lastOnStep;
        const bool bareGraces = in_.symbtrConverter && pitch.inCommas();
        int unpitched = 0;
        for (std::size_t mi = 0; mi < part.measures.size(); ++mi) {
            const std::vector<RawNote>& notes = part.measures[mi].notes;
            CarriedCommas carried, tiedNext;
            std::vector<std::optional<double>> commas(notes.size());
            for (std::size_t i = 0; i < notes.size(); ++i) {
                const RawNote& n = notes[i];
                const bool bare = n.grace && !n.alter && n.accidental.empty();
                if (!n.rest && !n.cue && !n.unpitched && !(bareGraces && bare))
                    commas[i] = pitch.commasOf(n, keyOf(part, n), carried, tied);
            }
            for (std::size_t i = 0; i < notes.size(); ++i) {
                const RawNote& n = notes[i];
                ScoreNote s;
                s.rest = n.rest || n.cue || n.unpitched;
                if (n.unpitched) ++unpitched;
                if (!s.rest) {
                    const KeySignature& key = keyOf(part, n);
                    const double c = commas[i]
                                         ? *commas[i]
                                         : graceCommas(notes, commas, i, lastOnStep, pitch, key);
                    const ScorePitch p =
                        pitch.sounding(n.step, n.octave, c, n.alter.value_or(0), n.transpose);
                    s.step = p.step;
                    s.octave = p.octave;
                    s.cents = p.cents;
                    if (n.tieStart) tiedNext[{n.step, n.octave}] = c;
                    addOrnament(s, n, key, pitch);
                }
                pitched[mi].push_back(s);
            }
            for (std::size_t i = 0; i < notes.size(); ++i)
                if (commas[i] && !notes[i].grace)
                    lastOnStep[{notes[i].step, notes[i].octave}] = *commas[i];
            for (const auto& [place, c] : tiedNext)
                tied[place] = c;
        }
        if (unpitched > 0)
            score_.remarks.push_back(std::to_string(unpitched) +
                                     " perdesiz (vurmalı) nota es olarak çalınır");
        return pitched;
    }

    static const KeySignature& keyOf(const Part& part, const RawNote& n) {
        return part.keys[static_cast<std::size_t>(n.key)];
    }

    // A grace note of SymbTr's converter, written without alteration, takes the commas of the
    // note on its step and octave in force in its measure: the last before it, else the next
    // after it, else the last before the measure, else the key's (as the .txt has it for 93 %
    // of the corpus's 12,583 grace notes).
    static double graceCommas(const std::vector<RawNote>& notes,
                              const std::vector<std::optional<double>>& commas, std::size_t i,
                              const CarriedCommas& lastOnStep, const MusicXmlPitch& pitch,
                              const KeySignature& key) {
        const RawNote& g = notes[i];
        const auto onStep = [&](std::size_t k) {
            return commas[k] && !notes[k].grace && notes[k].step == g.step &&
                   notes[k].octave == g.octave;
        };
        for (std::size_t k = i; k-- > 0;)
            if (onStep(k)) return *commas[k];
        for (std::size_t k = i + 1; k < notes.size(); ++k)
            if (onStep(k)) return *commas[k];
        const auto last = lastOnStep.find({g.step, g.octave});
        return last != lastOnStep.end() ? last->second : pitch.keyCommasOf(key, g.step);
    }

    // The ornament of a note with its neighbours: an accidental mark placed above is the upper
    // neighbour's, one placed below the lower's, one without placement the neighbour's the
    // ornament starts with.
    static void addOrnament(ScoreNote& s, const RawNote& n, const KeySignature& key,
                            const MusicXmlPitch& pitch) {
        s.ornament = n.ornament;
        s.strokeBeats = std::pow(0.5, n.tremoloMarks);
        const auto markOf = [&](bool upper, bool first) {
            const std::string& placed = upper ? n.markAbove : n.markBelow;
            return !placed.empty() ? placed : first ? n.mark : std::string();
        };
        switch (n.ornament) {
        case Ornament::trill:
        case Ornament::mordent:
            s.aux = pitch.neighbour(n, key, n.below ? -1 : 1, markOf(!n.below, true));
            break;
        case Ornament::turn:
        case Ornament::delayedTurn:
            s.aux = pitch.neighbour(n, key, n.below ? -1 : 1, markOf(!n.below, true));
            s.aux2 = pitch.neighbour(n, key, n.below ? 1 : -1, markOf(n.below, false));
            break;
        default:
            break;
        }
    }

    // Brackets read otherwise than written (repeat_order.h), named in the report.
    void remarkEndings(const Part& part, const EndingGroups& groups) {
        const auto at = [&](int i) {
            return "ölçü " + std::to_string(part.measures[static_cast<std::size_t>(i)].number) +
                   ": ";
        };
        for (const int i : groups.blank)
            score_.remarks.push_back(
                at(i) + "numarası boş bitiş parantezi " +
                std::to_string(groups.passes[static_cast<std::size_t>(i)].front()) +
                ". geçişte çalınır");
        for (const int i : groups.restarted)
            score_.remarks.push_back(at(i) + "bitiş parantezinin numarası öncekilerden büyük "
                                             "değil; yeni bir tekrarın bitişi sayılır");
        for (const int i : groups.gaps)
            score_.remarks.push_back(at(i) + "hiçbir bitiş parantezinin numaralamadığı "
                                             "geçişte parantezler atlanır");
    }

    // A measure lasts as long as the longest part holds it (a part may leave a measure empty).
    double measureLength(std::size_t index) const {
        double length = 0;
        for (const Part& p : in_.parts)
            if (index < p.measures.size()) length = std::max(length, p.measures[index].length);
        return length;
    }

    void gatherTempos() {
        for (const Part& p : in_.parts) {
            if (tempos_.size() < p.measures.size()) tempos_.resize(p.measures.size());
            for (std::size_t mi = 0; mi < p.measures.size(); ++mi)
                tempos_[mi].insert(tempos_[mi].end(), p.measures[mi].tempos.begin(),
                                   p.measures[mi].tempos.end());
        }
        double tempo = kDefaultTempo;
        for (auto& marks : tempos_) {
            written_ = written_ || !marks.empty();
            std::stable_sort(marks.begin(), marks.end(),
                             [](const auto& a, const auto& b) { return a.first < b.first; });
            startTempo_.push_back(tempo);
            if (!marks.empty()) tempo = marks.back().second;
        }
    }

    // Tempo marks not taken, each named with the tempo played in its place.
    void remarkTempos(const Part& part) {
        for (std::size_t mi = 0; mi < part.measures.size(); ++mi)
            for (const auto& [at, written] : part.measures[mi].refusedTempos)
                score_.remarks.push_back(
                    "ölçü " + std::to_string(part.measures[mi].number) + ": tempo " + written +
                    " alınmadı; ♩ = " + tempoText(tempoAt(mi, at)) + " ile çalınır");
    }

    // The tempo in force at `position` of measure `index`.
    double tempoAt(std::size_t index, double position) const {
        if (index >= startTempo_.size()) return kDefaultTempo;
        double tempo = startTempo_[index];
        for (const auto& [at, value] : tempos_[index])
            if (at <= position + kEpsilon) tempo = value;
        return tempo;
    }

    MusicXmlParts in_;
    std::string fileName_;
    Score score_;
    // The tempo marks of every part by measure (a score often writes them in its first part
    // only), and the tempo each measure starts in.
    std::vector<std::vector<std::pair<double, double>>> tempos_;
    std::vector<double> startTempo_;
    bool written_ = false; // the score has a tempo mark taken
};

} // namespace

Score parseMusicXml(std::string_view xml, const std::string& fileName, const ScoreChoice& choice) {
    return Assembler(readMusicXmlParts(xml, fileName), fileName).run(choice);
}

} // namespace zembera::scores
