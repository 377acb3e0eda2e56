#include "scores/score_player.h"

#include <cmath>
#include <cstdio>
#include <memory>
#include <optional>

#include "common/safe_write.h"
#include "files/melody_file.h"
#include "files/played_note.h"
#include "files/text_file.h"
#include "scores/mandal_plan.h"
#include "scores/score_file.h"
#include "scores/score_steps.h"
#include "scores/ses_export.h"

namespace zembera::scores {
namespace {

// Lines of the mandal plan shown at most; the rest is counted.
constexpr std::size_t kMaxPlanLines = 40;

std::string centsText(double cents) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", cents);
    return text;
}

// A MIDI file's lines: the notes far from their pitch, the tuning reference, the key signature,
// the track and the channel played.
std::string midiLines(const Score& score, const PlacedScore& placed) {
    int far = 0;
    for (const PlacedNote& n : placed.notes)
        if (!n.rest && !n.dropped && std::abs(n.errorCents) > kFarFromPitchCents) ++far;
    std::string lines = "\n" + std::to_string(far) + " nota perdesinden " +
                        std::to_string(kFarFromPitchCents) + " sentten uzak çalınır";
    if (!score.tuning.empty()) lines += "\nPerde dayanağı: " + score.tuning;
    if (!score.keySignature.empty()) lines += "\nDonanım: " + score.keySignature;
    const auto index = [](int i) { return static_cast<std::size_t>(i); };
    return lines + "\nÇalınan: " + score.parts[index(score.part)] + " (" +
           std::to_string(score.parts.size()) + " izden " + std::to_string(score.part + 1) +
           ".), " + score.voices[index(score.voice)] + " (" + std::to_string(score.voices.size()) +
           " kanaldan " + std::to_string(score.voice + 1) + ".)";
}

} // namespace

std::string scoreReport(const Score& score, const PlacedScore& placed, const std::string& name) {
    std::string report = name;
    if (!score.title.empty()) report += " (" + score.title + ")";
    report += "\n" + std::to_string(score.noteCount()) + " nota";
    if (placed.worstIndex >= 0) {
        const PlacedNote& worst = placed.notes[static_cast<std::size_t>(placed.worstIndex)];
        report += ", en büyük sapma " + centsText(placed.worstErrorCents) + " sent (nota " +
                  std::to_string(placed.worstIndex + 1) + ", " +
                  placeText(worst.measure, placed.placesAreLines) + ")";
    }
    if (placed.octaveMovedCount > 0)
        report += "\n" + std::to_string(placed.octaveMovedCount) +
                  " nota çalgıya sığmadığı için oktav kaydırıldı";
    if (score.midi) report += midiLines(score, placed);
    if (!score.parts.empty() && !score.midi) {
        report += "\nPerde okuması: ";
        report += score.reading == PitchReading::commas
                      ? "arıza işaretleri Arel-Ezgi-Uzdilek komalarıyla"
                  : score.reading == PitchReading::keyCommas
                      ? "arıza işaretleri komalarıyla, donanımın işaretleri <key-alter> komalarıyla"
                      : "<alter> yarım ses olarak, eşit aralıklı";
        report += " (" + score.readingReason + ")";
        if (!score.keySignature.empty()) report += "\nDonanım: " + score.keySignature;
        report += "\nTempo: " + (score.tempo > 0 ? "♩ = " + tempoText(score.tempo)
                                                 : "yazılmamış, ♩ = " + tempoText(kDefaultTempo));
    }
    if (!score.midi && (score.parts.size() > 1 || score.voices.size() > 1))
        report += "\nÇalınan: " + score.parts[static_cast<std::size_t>(score.part)] + " (" +
                  std::to_string(score.parts.size()) + " bölümden " +
                  std::to_string(score.part + 1) + ".), ses " +
                  score.voices[static_cast<std::size_t>(score.voice)] + " (" +
                  std::to_string(score.voices.size()) + " sesten " +
                  std::to_string(score.voice + 1) + ".)";
    if (score.playedMeasures > 0)
        report +=
            "\nTekrarlar ve atlamalarla " + std::to_string(score.playedMeasures) + " ölçü çalınır";
    if (score.graceNotes > 0)
        report += "\n" + std::to_string(score.graceNotes) + " çarpma kısa nota olarak çalınır";
    if (score.ornaments > 0)
        report += "\n" + std::to_string(score.ornaments) +
                  " süsleme (tril, mordan, grupetto, tremolo) figürüyle çalınır";
    if (score.glissandi > 0)
        report += "\n" + std::to_string(score.glissandi) + " glissando düz nota olarak çalınır";
    for (const std::string& remark : score.remarks)
        report += "\n" + remark;
    const std::vector<std::string> lines = planLines(planMandals(placed));
    report += "\nMandal planı:";
    for (std::size_t i = 0; i < lines.size() && i < kMaxPlanLines; ++i)
        report += "\n" + lines[i];
    if (lines.size() > kMaxPlanLines)
        report += "\n... " + std::to_string(lines.size() - kMaxPlanLines) + " satır daha";
    return report;
}

std::string chordAlias(int k) {
    return "akor" + std::to_string(k);
}

KanunSetup ScorePlayer::setupNow(int ahenkShift) const {
    return standardSetup(p_.source.tables, ahenkShift, &p_.source.tuningOffset);
}

std::vector<std::string> reportButtons(const Score& score) {
    std::vector<std::string> buttons{kPlayCaption, kPrepareMandalsCaption};
    if (!score.parts.empty() && !score.midi) {
        if (score.reading != PitchReading::commas) buttons.push_back(kCommaReadingCaption);
        if (score.reading != PitchReading::exact) buttons.push_back(kExactReadingCaption);
        if (score.reading == PitchReading::commas && score.keyAltersDiffer)
            buttons.push_back(kKeyCommasReadingCaption);
    }
    if (score.voices.size() > 1)
        buttons.push_back(score.midi ? kNextChannelCaption : kNextVoiceCaption);
    if (score.parts.size() > 1)
        buttons.push_back(score.midi ? kNextTrackCaption : kNextPartCaption);
    buttons.push_back(kCancelCaption);
    return buttons;
}

bool ScorePlayer::playIfScore(const std::string& name) {
    if (name.empty() || !isScoreFile(pathFromUtf8(name))) return false;
    InstrumentState& st = p_.instrument;
    if (st.recording || st.playingBack) return true;
    // A file of the folders, or of any folder by its full path; the report names it alone.
    const std::optional<std::filesystem::path> file = fileOfName(p_.files(), name);
    if (!file) {
        p_.messages.show(name + ": dosya adı geçersiz");
        return true;
    }
    const std::string shown = file->filename().string();
    ScoreChoice choice;
    for (;;) {
        std::optional<PlacedScore> placed;
        std::vector<std::string> buttons;
        std::string report;
        Score score;
        try {
            score = readScoreFile(*file, choice);
            placed = placeScore(score, setupNow(p_.tuning.ahenkShift));
            report = scoreReport(score, *placed, shown);
            // The melody file holds the positions of the table's own pitch level.
            const SesExport ses = exportSes(score, placeScore(score, setupNow(0)));
            if (!ses.fits()) report += "\n" + std::string(kSesDoesNotFit) + ses.problems.front();
        } catch (const ScoreError& e) {
            p_.messages.show(e.what());
            return true;
        }
        buttons = reportButtons(score);
        const int pressed = p_.messages.choose(report, buttons);
        const std::string button = pressed >= 0 && pressed < static_cast<int>(buttons.size())
                                       ? buttons[static_cast<std::size_t>(pressed)]
                                       : std::string(kCancelCaption);
        if (button == kPlayCaption) {
            play(*placed);
            return true;
        }
        if (button == kPrepareMandalsCaption) {
            // Once, and the box stays closed: the keys play the prepared strings at once.
            prepareMandals(planMandals(*placed));
            return true;
        }
        if (button == kCommaReadingCaption || button == kExactReadingCaption ||
            button == kKeyCommasReadingCaption) {
            choice.reading = button == kCommaReadingCaption   ? PitchReading::commas
                             : button == kExactReadingCaption ? PitchReading::exact
                                                              : PitchReading::keyCommas;
            choice.part = score.part;
        } else if (button == kNextVoiceCaption || button == kNextChannelCaption) {
            choice.part = score.part;
            choice.voice = (score.voice + 1) % static_cast<int>(score.voices.size());
        } else if (button == kNextPartCaption || button == kNextTrackCaption) {
            choice.part = (score.part + 1) % static_cast<int>(score.parts.size());
            choice.voice = 0;
        } else {
            return true; // cancelled: nothing plays
        }
    }
}

void ScorePlayer::prepareMandals(const MandalPlan& plan) {
    InstrumentState& st = p_.instrument;
    for (int s = 1; s <= kStringCount; ++s) {
        const StringNeeds& needs = plan.strings[static_cast<std::size_t>(s)];
        if (needs.noteCount == 0 || st.mandalPos[s] == needs.first) continue;
        st.mandalPos[s] = static_cast<std::int16_t>(needs.first);
        p_.view.arıza_yaz(s);
        if (s == st.currentString) {
            p_.view.mandal_at();
            p_.view.porte();
            p_.view.etiket();
        }
    }
}

void ScorePlayer::saveAsSes(const std::string& name) {
    InstrumentState& st = p_.instrument;
    if (st.recording || st.playingBack) return;
    const std::optional<std::filesystem::path> file = fileOfName(p_.files(), name);
    if (!file || !isScoreFile(*file)) {
        p_.messages.show(
            (name.empty() ? std::string("(ad yok)") : name) +
            ": yalnızca MusicXML, SymbTr ve MIDI partisyonları .ses olarak kaydedilir");
        return;
    }
    const std::string shown = file->filename().string();
    SesExport ses;
    try {
        const Score score = readScoreFile(*file);
        ses = exportSes(score, placeScore(score, setupNow(0)));
    } catch (const ScoreError& e) {
        p_.messages.show(e.what());
        return;
    }
    if (!ses.fits()) {
        std::string text = shown + std::string(": ") + kSesDoesNotFit;
        for (const std::string& problem : ses.problems)
            text += "\n" + problem;
        p_.messages.show(text);
        return;
    }
    const std::string sesName = shown.substr(0, shown.rfind('.')) + kMelodyExtension;
    const std::filesystem::path sesFile = p_.files().user / pathFromUtf8(sesName);
    if (std::filesystem::exists(sesFile) &&
        !p_.messages.askYesNo(sesName + " var; yerine yazılsın mı?"))
        return;
    if (const auto failure = replaceFile(sesFile, ses.text)) {
        p_.messages.show(sesName + ": dosya yazılamadı\n" + *failure);
        return;
    }
    p_.messages.show(sesName + " kaydedildi");
}

void ScorePlayer::silenceChord() {
    for (; beside_ > 0; --beside_)
        p_.sound.MciStopClose(chordAlias(beside_));
}

namespace {

// A score under way: its notes and where the playing stands.
struct Playing {
    std::vector<PlacedNote> notes;
    std::size_t next = 0; // the first note of the next onset
    int counter = 0;
    // The onset drawn: its notes' sounds read ahead, whether its first goes to the memory
    // channel, whether it is a rest.
    std::vector<SoundOutput::PreparedNote> prepared;
    bool firstSounds = false;
    bool holds = false;
    bool rest = false;
    bool noteOpen = false;
};

} // namespace

void ScorePlayer::play(const PlacedScore& placed) {
    InstrumentState& st = p_.instrument;
    FilesView& c = p_.controls;
    st.playingBack = true;
    c.setStartStopCaption("0");
    setFramesEnabled(c, kMelodyFrames, false);
    // The pause button of the recording frame pauses the score as it pauses a replay.
    c.setFrameEnabled(WindowFrame::record, true);
    c.setButtonEnabled(RecordButton::rec_buton, false);
    c.setButtonEnabled(RecordButton::Play_buton, false);
    c.setButtonEnabled(RecordButton::stop_buton, false);
    c.setButtonEnabled(RecordButton::pause_buton, true);

    auto playing = std::make_shared<Playing>();
    playing->notes = placed.notes;
    auto endNote = [this, playing] {
        if (playing->noteOpen) p_.sound.StopAllSound();
        silenceChord();
        playing->noteOpen = false;
    };
    NoteSink sink;
    sink.draw = [this, playing]() -> std::optional<double> {
        InstrumentState& st = p_.instrument;
        if (playing->next >= playing->notes.size()) return std::nullopt;
        const ScoreOnset onset = scoreOnset(playing->notes, playing->next);
        playing->next = onset.end;
        p_.controls.showCounter(counterText(++playing->counter));
        // The scroll bar's value over its starting value stretches the written lengths, as it
        // stands now.
        const double length = onset.writtenMs * p_.controls.tempo() / kWrittenTempoScroll;
        // Each note drawn, then read and converted ahead so that the sound starts on its onset.
        playing->prepared.clear();
        for (const PlayedNote& note : onset.shown) {
            st.currentString = static_cast<std::int16_t>(note.string);
            p_.view.tel_çiz();
            p_.view.mandal_at();
            showPlayedNote(st, p_.view, note);
            if (isPlayablePosition(note.string, note.mandal))
                playing->prepared.push_back(
                    p_.sound.PreparePatchedSample(p_.source, note.string, note.mandal));
        }
        playing->firstSounds = onset.firstSounds;
        playing->holds = onset.holds;
        playing->rest = onset.rest;
        return length;
    };
    sink.start = [this, playing, endNote] {
        if (!playing->holds) endNote(); // an onset holding tied notes cuts nothing
        for (std::size_t k = 0; k < playing->prepared.size(); ++k) {
            if (k == 0 && playing->firstSounds)
                p_.sound.PlayPrepared(p_.source, playing->prepared[k]);
            else
                p_.sound.PlayPreparedBeside(p_.source, playing->prepared[k], chordAlias(++beside_));
        }
        playing->noteOpen = !playing->rest; // a rest only ends the notes before it
    };
    sink.silence = endNote;
    sink.finished = [this] {
        InstrumentState& st = p_.instrument;
        FilesView& c = p_.controls;
        // Nothing sounds now: the staff and the panel show the selected string where its mandal
        // stands, as the close-up does, not the score's last note.
        p_.view.porte();
        p_.view.etiket();
        c.blankCounter();
        c.setStartStopCaption(">");
        setFramesEnabled(c, kMelodyFrames, true);
        c.setButtonEnabled(RecordButton::pause_buton, false);
        c.setButtonEnabled(RecordButton::Play_buton, true);
        c.setButtonEnabled(RecordButton::rec_buton, true);
        st.playingBack = false;
    };
    p_.player.play(std::move(sink));
}

} // namespace zembera::scores
