#pragma once
// Scores as they are played, for the tests of tests/render: each file is read, placed on the
// bundled instrument and turned into the note events the renderer and the live player play (one
// case per path is rendered and measured: ScoreRepertoire.TiesIntoPartOfAChordHoldOnlyTheirNotes).
// The expected pitch of a written note is worked out by the tests from the format's definition
// (equal-tempered semitones, or naturals and accidentals in Holdrian commas), then taken to the
// nearest position of its string.

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "common/messages.h"
#include "loader/startup_loader.h"
#include "render/offline_render.h"
#include "render/score_events.h"
#include "scores/score_file.h"
#include "support/written_pitch.h"
#include "tools/audio_measure.h"

namespace zembera {
namespace {

namespace am = audio_measure;
using scores::PitchReading;

// The C4 of the pitch tables, in Hz.
constexpr double kTableC4Hz = 262.0;
constexpr std::size_t kLeadFrames = 2048;

struct Heard {
    double onsetMs = 0;
    double hz = 0;
};

class ScoreSound : public testing::Test {
  protected:
    static void SetUpTestSuite() {
        RecordedMessages messages;
        loaded_ = new StartupResult(loadProgram(ZEMBERA_PROGRAM_DIR, messages));
        ASSERT_FALSE(loaded_->fatal);
    }
    static void TearDownTestSuite() {
        delete loaded_;
        loaded_ = nullptr;
    }
    LoadedProgram& program() { return *loaded_->program; }

    // The score read from `text` as the file `name`.
    scores::Score read(const std::string& text, const std::string& name,
                       const scores::ScoreChoice& choice = {}) {
        return scores::parseScoreBytes(text, name, choice);
    }

    NoteEvents events(const scores::Score& score) {
        LoadedProgram& p = program();
        return scoreEvents(
            scores::placeScore(score, scores::standardSetup(p.tables, 0, &p.tuning.tuningOffset)),
            1.0);
    }
    // The sound of the score played at its written tempo, after kLeadFrames of silence.
    std::vector<double> render(const scores::Score& score) {
        LoadedProgram& p = program();
        engine::Engine engine;
        giveSamples(p, engine);
        std::vector<double> x(kLeadFrames, 0.0);
        renderPiece(
            events(score), PieceSound{engine, p.tables, p.tuning.tuningOffset},
            [&](std::span<const std::int16_t> f) { x.insert(x.end(), f.begin(), f.end()); });
        return x;
    }
    // The onsets and pitches struck when the score plays at its written tempo: at each onset the
    // first string that sounds.
    std::vector<Heard> hear(const scores::Score& score) {
        const LoadedProgram& p = program();
        std::vector<Heard> heard;
        for (const NoteEvent& e : events(score).events)
            if (e.string != 0 && (heard.empty() || heard.back().onsetMs != e.onsetMs))
                heard.push_back(
                    {e.onsetMs,
                     kTableC4Hz * std::exp2(soundingCents(p.tables, p.tuning.tuningOffset, e.string,
                                                          e.mandal) /
                                            1200.0)});
        return heard;
    }
    std::vector<Heard> hear(const std::string& text, const std::string& name,
                            const scores::ScoreChoice& choice = {}) {
        return hear(read(text, name, choice));
    }

    // The Hz of the position of the string of a written natural (diatonic index from C4)
    // nearest to `cents` above C4; of two equally near (within a hundredth of a cent), the one
    // nearer the open string.
    double expectedHz(int diatonic, double cents) {
        LoadedProgram& p = program();
        const int s = 17 - diatonic;
        double best = 1e9;
        int bestM = 0;
        for (int m = mandalMinOf(s); m <= mandalMaxOf(s); ++m) {
            const double c =
                p.tables.centTable(s, m) + p.tuning.tuningOffset[static_cast<std::size_t>(s)];
            const double gap = std::abs(c - cents) - std::abs(best - cents);
            if (gap < -0.01 || (gap <= 0.01 && std::abs(m) < std::abs(bestM))) {
                best = c;
                bestM = m;
            }
        }
        return kTableC4Hz * std::exp2(best / 1200.0);
    }

    // The Hz of a SymbTr pitch in Koma53 (C4 = 265) on the string of its natural.
    double symbtrHz(int koma) {
        const int above = koma - 265;
        const int octave = 4 + (above >= 0 ? above / 53 : -((52 - above) / 53));
        int step = 6;
        while (step > 0 && test::kAeuNaturalCommas[step] > above - (octave - 4) * 53)
            --step;
        return expectedHz((octave - 4) * 7 + step, above * 1200.0 / 53);
    }
    // The Hz of `letter` in `octave` raised by `alter` semitones (eq) or Holdrian commas (ck), on
    // the string of its natural.
    double eq(char letter, int octave, double alter = 0) {
        const int step = stepOf(letter);
        return expectedHz((octave - 4) * 7 + step, test::equalCents(step, octave, alter));
    }
    double ck(char letter, int octave, double commas) {
        const int step = stepOf(letter);
        return expectedHz((octave - 4) * 7 + step, test::aeuCents(step, octave, commas));
    }
    static int stepOf(char letter) {
        return static_cast<int>(std::string_view("CDEFGAB").find(letter) % 7);
    }
    static StartupResult* loaded_;
};
StartupResult* ScoreSound::loaded_ = nullptr;

// A score of one part of `measures`, or two with `second`.
inline std::string partwise(const std::string& measures, const std::string& head = "",
                            const std::string& second = "") {
    return "<?xml version=\"1.0\"?><score-partwise version=\"4.0\">" + head +
           "<part-list><score-part id=\"P1\"><part-name>Kanun</part-name></score-part>"
           "</part-list><part id=\"P1\">" +
           measures + "</part>" + (second.empty() ? "" : "<part id=\"P2\">" + second + "</part>") +
           "</score-partwise>";
}
// A measure numbered `number` holding `body`; the first carries divisions 2 and tempo 60.
inline std::string bar(int number, const std::string& body, const std::string& attributes = "") {
    return "<measure number=\"" + std::to_string(number) + "\">" +
           (number == 1 ? "<attributes><divisions>2</divisions>" + attributes +
                              "</attributes><sound tempo=\"60\"/>"
            : attributes.empty() ? ""
                                 : "<attributes>" + attributes + "</attributes>") +
           body + "</measure>";
}
// A note of `step` in `octave` lasting `halves` eighth notes (divisions 2), with what follows
// the pitch.
inline std::string note(char step, int octave, int halves, const std::string& alter = "",
                        const std::string& after = "", const std::string& before = "") {
    return "<note>" + before + "<pitch><step>" + std::string(1, step) + "</step>" +
           (alter.empty() ? "" : "<alter>" + alter + "</alter>") + "<octave>" +
           std::to_string(octave) + "</octave></pitch><duration>" + std::to_string(halves) +
           "</duration>" + after + "</note>";
}
// SymbTr's columns and one row of them: code, note name, Koma53, Pay/Payda and Ms.
inline const std::string kSymbTrHeader =
    "Sira\tKod\tNota53\tNotaAE\tKoma53\tKomaAE\tPay\tPayda\tMs\tLNS\tBas\tSoz1\tOffset\n";
inline std::string row(int code, const std::string& name, int koma, int pay, int payda, int ms) {
    return "1\t" + std::to_string(code) + "\t\t" + name + "\t" + std::to_string(koma) + "\t" +
           std::to_string(koma) + "\t" + std::to_string(pay) + "\t" + std::to_string(payda) + "\t" +
           std::to_string(ms) + "\t0\t0\t\t0\n";
}
inline std::string rest(int halves) {
    return "<note><rest/><duration>" + std::to_string(halves) + "</duration></note>";
}

// Checks the onsets (ms) and, where a pitch is given, the pitch.
struct Expect {
    double onsetMs;
    double hz; // 0: not checked
};
inline void expectHeard(const std::vector<Heard>& heard, const std::vector<Expect>& expected) {
    ASSERT_EQ(heard.size(), expected.size()) << [&] {
        std::string s = "heard:";
        for (const Heard& h : heard)
            s += " " + std::to_string(h.onsetMs) + "/" + std::to_string(h.hz);
        return s;
    }();
    for (std::size_t i = 0; i < heard.size(); ++i) {
        SCOPED_TRACE("sound " + std::to_string(i + 1));
        EXPECT_NEAR(heard[i].onsetMs, expected[i].onsetMs, 0.1);
        if (expected[i].hz > 0) {
            EXPECT_NEAR(am::centsBetween(heard[i].hz, expected[i].hz), 0, 1e-6);
        }
    }
}

} // namespace
} // namespace zembera
