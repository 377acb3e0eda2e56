#include "scores/score_player.h"

#include <cmath>
#include <cstdio>
#include <optional>

#include "files/melody_file.h"
#include "files/played_note.h"
#include "files/text_file.h"
#include "scores/mandal_plan.h"
#include "scores/score_file.h"
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

} // namespace

std::string scoreReport(const Score& score, const PlacedScore& placed, const std::string& name) {
    std::string report = name;
    if (!score.title.empty()) report += " (" + score.title + ")";
    report += "\n" + std::to_string(score.noteCount()) + " nota";
    if (placed.worstIndex >= 0) {
        const PlacedNote& worst = placed.notes[static_cast<std::size_t>(placed.worstIndex)];
        report += ", en büyük sapma " + centsText(placed.worstErrorCents) + " sent (nota " +
                  std::to_string(placed.worstIndex + 1) + ", ölçü " +
                  std::to_string(worst.measure) + ")";
    }
    if (placed.octaveMovedCount > 0)
        report += "\n" + std::to_string(placed.octaveMovedCount) +
                  " nota çalgıya sığmadığı için oktav kaydırıldı";
    const std::vector<std::string> lines = planLines(planMandals(placed));
    report += "\nMandal planı:";
    for (std::size_t i = 0; i < lines.size() && i < kMaxPlanLines; ++i)
        report += "\n" + lines[i];
    if (lines.size() > kMaxPlanLines)
        report += "\n... " + std::to_string(lines.size() - kMaxPlanLines) + " satır daha";
    return report;
}

bool ScorePlayer::playIfScore(const std::string& name) {
    if (name.empty() || !isScoreFile(pathFromUtf8(name))) return false;
    InstrumentState& st = p_.instrument;
    RecordingState& rec = p_.recording;
    if (st.recording || st.playingBack || rec.loopRunning) return true;
    // Only a file of the program folder is played.
    if (name.find_first_of("/\\") != std::string::npos) {
        p_.messages.show(name + ": dosya adı geçersiz");
        return true;
    }
    std::optional<PlacedScore> placed;
    try {
        const Score score = readScoreFile(p_.files().find(pathFromUtf8(name)));
        placed = placeScore(score, standardSetup(p_.source.tables, p_.tuning.ahenkShift));
        std::string report = scoreReport(score, *placed, name);
        // The melody file holds the positions of the table's own pitch level.
        const SesExport ses =
            exportSes(score, placeScore(score, standardSetup(p_.source.tables, 0)));
        if (!ses.fits()) report += "\n" + std::string(kSesDoesNotFit) + ses.problems.front();
        p_.messages.show(report);
        if (ses.fits()) offerSes(name, ses.text);
    } catch (const ScoreError& e) {
        p_.messages.show(e.what());
        return true;
    }
    play(*placed);
    return true;
}

void ScorePlayer::offerSes(const std::string& name, const std::string& text) {
    const std::string sesName = name.substr(0, name.rfind('.')) + kMelodyExtension;
    const std::filesystem::path file = p_.files().user / pathFromUtf8(sesName);
    std::string question = sesName + " olarak kaydedilsin mi?";
    if (std::filesystem::exists(file)) question += " (var olan dosyanın yerine)";
    if (!p_.messages.askYesNo(question)) return;
    if (!replaceFileAtomically(file, text)) p_.messages.show(sesName + ": dosya yazılamadı");
}

void ScorePlayer::play(const PlacedScore& placed) {
    InstrumentState& st = p_.instrument;
    FilesView& c = p_.controls;
    st.playingBack = true;
    p_.recording.loopRunning = true;
    c.setStartStopCaption("0");
    setFramesEnabled(c, kMelodyFrames, false);

    NoteClock clock(p_.hooks,
                    [&st] { return st.playingBack ? LoopEvent::none : LoopEvent::stopped; });
    bool noteOpen = false;
    auto endNote = [&] {
        if (noteOpen) p_.sound.StopAllSound();
        noteOpen = false;
    };
    int counter = 0;
    for (const PlacedNote& n : placed.notes) {
        if (!clock.waitToDraw()) break;
        c.showCounter(counterText(++counter));
        if (!clock.handleEvents()) break;
        // The scroll bar's value over its starting value stretches the written lengths.
        const double length = n.ms * st.vscrollValue / kWrittenTempoScroll;
        if (n.rest) {
            if (!clock.waitOnset()) break;
            endNote();
            clock.advance(length);
            continue;
        }
        st.currentString = static_cast<std::int16_t>(n.string);
        p_.view.tel_çiz();
        p_.view.mandal_at();
        showPlayedNote(st, p_.view, PlayedNote{n.string, n.mandal});
        std::optional<SoundOutput::PreparedNote> prepared;
        if (isPlayablePosition(n.string, n.mandal))
            prepared = p_.sound.PreparePatchedSample(p_.source, n.string, n.mandal);
        if (!clock.waitOnset()) break;
        endNote();
        if (prepared) p_.sound.PlayPrepared(p_.source, *prepared);
        noteOpen = true;
        clock.advance(length);
    }
    if (st.playingBack) clock.waitOnset();
    endNote();

    c.blankCounter();
    c.setStartStopCaption(">");
    setFramesEnabled(c, kMelodyFrames, true);
    st.playingBack = false;
    p_.recording.loopRunning = false;
}

} // namespace zembera::scores
