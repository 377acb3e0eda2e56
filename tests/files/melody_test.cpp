#include "files/melody_file.h"

#include <gtest/gtest.h>

#include "files/melody_handlers.h"
#include "files_rig.h"

namespace zembera {
namespace {

using test::Calls;
using test::Plays;
using Lengths = std::vector<double>;

// The fields the player reads: tuplet, note, duration code, file mandal, dot, condition.
MelodyRecord note(int tuplet, int n, int code, int mandal = 0, int dot = 0, int condition = 0) {
    MelodyRecord r;
    const int fields[10] = {tuplet, n, code, mandal, dot, 0, 0, 0, 0, condition};
    for (std::size_t i = 0; i < 10; ++i)
        r.fields[i] = static_cast<std::int16_t>(fields[i]);
    return r;
}

// A record as a line of a melody file.
std::string line(const MelodyRecord& r) {
    std::string s;
    for (std::size_t i = 0; i < 10; ++i)
        s += std::to_string(r.fields[i]) + (i < 9 ? "," : "\r\n");
    return s;
}

TEST(MelodyUnits, DurationCodesDotsAndTriplets) {
    const int plain[] = {64, 32, 16, 8, 4, 2};
    const int dotted[] = {96, 48, 24, 12, 6, 3};
    for (int code = 1; code <= 6; ++code) {
        EXPECT_EQ(noteUnits(note(0, 0, code), 0), plain[code - 1]) << code;
        EXPECT_EQ(noteUnits(note(0, 0, code, 0, 1), 0), dotted[code - 1]) << code;
        EXPECT_EQ(noteUnits(note(0, 0, code, 0, 2), 0), plain[code - 1]) << code; // only 1 dots
    }
    // Triplets of codes 4 and 5, dotted or not; other codes ignore the tuplet field.
    EXPECT_EQ(noteUnits(note(1, 0, 4), 0), 5);
    EXPECT_EQ(noteUnits(note(3, 0, 4, 0, 1), 0), 5);
    EXPECT_EQ(noteUnits(note(1, 0, 5), 0), 3);
    EXPECT_EQ(noteUnits(note(1, 0, 5, 0, 1), 0), 3);
    EXPECT_EQ(noteUnits(note(1, 0, 3), 0), 16);
    EXPECT_EQ(noteUnits(note(-1, 0, 4), 0), 8);
    // Any other code keeps the previous length.
    for (int code : {7, -1, 100, -32768})
        EXPECT_EQ(noteUnits(note(0, 0, code, 0, 1), 24), 24) << code;
}

TEST(MelodyUnits, RestsTakeTheirLengthFromTheNoteField) {
    const int units[] = {2, 4, 8, 16, 32, 64};
    for (int n = 26; n <= 31; ++n) {
        EXPECT_EQ(restUnits(n), units[n - 26]);
        EXPECT_EQ(melodyStep(note(1, n, 0)), MelodyStep::rest); // code 0 does not skip a rest
    }
    EXPECT_EQ(melodyStep(note(0, 25, 3)), MelodyStep::note);
    EXPECT_EQ(melodyStep(note(0, 0, 0)), MelodyStep::skip);
    for (int n : {-1, 32, 32767, -32768})
        EXPECT_EQ(melodyStep(note(0, n, 3)), MelodyStep::skip) << n;
}

TEST(MelodyStrings, NotesMapOntoTwoOverlappingRuns) {
    EXPECT_EQ(noteString(0), 4);
    EXPECT_EQ(noteString(14), 18);
    EXPECT_EQ(noteString(15), 12);
    EXPECT_EQ(noteString(25), 22);
}

TEST(MelodyMandal, TheThreeModes) {
    const MelodyRecord marked = note(0, 5, 3, 2, 0, 1);
    const MelodyRecord plain = note(0, 5, 3, 2, 0, 0);
    EXPECT_EQ(melodyMandal(MandalMode::çalgı, marked, -4, 0), -4);
    EXPECT_EQ(melodyMandal(MandalMode::dosya, plain, -4, 3), 2);
    EXPECT_EQ(melodyMandal(MandalMode::şartlı, plain, -4, 1), -4);
    for (int shift : {-2, -1, 1, 2, 3})
        EXPECT_EQ(melodyMandal(MandalMode::şartlı, marked, -4, shift), 8) << shift;
    for (int shift : {-3, 0, 4})
        EXPECT_EQ(melodyMandal(MandalMode::şartlı, marked, -4, shift), 2) << shift;
}

TEST(MelodyCounter, ThreeDigitsAtLeast) {
    EXPECT_EQ(counterText(1), "001");
    EXPECT_EQ(counterText(42), "042");
    EXPECT_EQ(counterText(1234), "1234");
}

TEST(MelodyRead, ARecordIsTenFieldsWhereverTheLinesBreak) {
    FieldReader r("0,1,3\n4 5\r\n6,7,8,9,1\n2,26,0,0,0,0,0,0,0,0", "x.ses");
    const MelodyRecord a = readMelodyRecord(r);
    EXPECT_EQ(a.note(), 1);
    EXPECT_EQ(a.fileMandal(), 4);
    EXPECT_EQ(a.dot(), 5);
    EXPECT_EQ(a.condition(), 1);
    EXPECT_EQ(readMelodyRecord(r).note(), 26);
    EXPECT_TRUE(r.atEnd());
    for (const char* bad : {"0,40000,3,0,0,0,0,0,0,0", "0,1,3,0,0"}) {
        FieldReader reader(bad, "x.ses");
        EXPECT_THROW(readMelodyRecord(reader), FormatError) << bad;
    }
}

class Melody : public test::FilesRig {
  protected:
    void SetUp() override {
        FilesRig::SetUp();
        handlers = std::make_unique<MelodyHandlers>(*parts);
        st().vscrollValue = 40;
        controls.melodyNameBox = "ezgi";
    }
    void writeMelody(std::initializer_list<MelodyRecord> records, const std::string& tail = "") {
        std::string text;
        for (const MelodyRecord& r : records)
            text += line(r);
        test::writeBytes(dir / "ezgi.ses", text + tail);
    }
    std::unique_ptr<MelodyHandlers> handlers;
};

TEST_F(Melody, NotesSoundTheirLengthWhileRestsSkipsAndCodeZeroAreOnlyCounted) {
    controls.melodyMode = 1; // çalgı: the instrument's own mandal
    st().mandalPos[4] = -3;
    writeMelody({note(0, 28, 3),  // rest of 8 units
                 note(0, 5, 0),   // code 0
                 note(0, 32, 3),  // not a note
                 note(0, -1, 3),  // not a note
                 note(0, 15, 9),  // previous length: the rest's 8 units, on string 12
                 note(0, 0, 3)}); // a quarter of 16 units on string 4
    const double before = clock.now;
    handlers->aç_kapa_buton_Click();
    EXPECT_EQ(sound.plays(), (Plays{{12, 0}, {4, -3}}));
    EXPECT_EQ(sound.lengths(), (Lengths{8 * 40, 16 * 40}));
    EXPECT_DOUBLE_EQ(clock.now - before, 8 * 40 + 8 * 40 + 16 * 40);
    EXPECT_EQ(sound.stops(), 2); // a rest stops no sound
    EXPECT_EQ(st().currentString, 4);
    EXPECT_EQ(view.calls, (Calls{"tel_çiz", "mandal_at", "porte", "etiket", "tel_çiz", "mandal_at",
                                 "porte", "etiket"}));
    EXPECT_EQ(controls.counters, (Calls{"001", "002", "003", "004", "005", "006", "blank"}));
    EXPECT_EQ(controls.caption, ">");
    EXPECT_FALSE(st().playingBack);
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(Melody, TheFirstNoteWithAnUnknownCodeLastsNothingAndTheTempoIsReadAtEveryNote) {
    writeMelody({note(0, 3, 7), note(0, 3, 5, 0, 1), note(1, 3, 4), note(0, 3, 8)});
    onEvents = [&](int) {
        if (controls.counters.size() == 3) st().vscrollValue = 60;
    };
    handlers->yürüt10();
    EXPECT_EQ(sound.lengths(), (Lengths{0, 6 * 40, 5 * 60, 5 * 60}));
}

TEST_F(Melody, ModesChooseTheMandalAndTheShiftMovesTheString) {
    st().mandalPos[10] = 1;
    st().mandalPos[11] = -2;
    program->tuning.ahenkShift = 1;
    writeMelody({note(0, 5, 5, 2, 0, 1),   // string 9 + 1, marked
                 note(0, 6, 5, 3, 0, 0)}); // string 10 + 1
    const Plays expected[] = {
        {{10, 1}, {11, -2}}, // çalgı
        {{10, 8}, {11, -2}}, // şartlı: the marked note at its file mandal + 6
        {{10, 2}, {11, 3}},  // dosya
    };
    for (int mode : {1, 2, 3}) {
        controls.melodyMode = mode;
        sound.events.clear();
        view.staff.clear();
        handlers->yürüt10();
        EXPECT_EQ(sound.plays(), expected[mode - 1]) << mode;
        // The staff and the panel show what sounds; the mandals stay as they were.
        EXPECT_EQ(view.staff, expected[mode - 1]) << mode;
        EXPECT_EQ(st().mandalPos[10], 1);
        EXPECT_EQ(st().mandalPos[11], -2);
    }
}

TEST_F(Melody, AFileMandalOutsideTheStringsRangePlaysNothingForThatNote) {
    controls.melodyMode = 3;        // dosya
    writeMelody({note(0, 0, 6, 9),  // string 4 reaches only 8
                 note(0, 0, 6, -6), // nor below -5
                 note(0, 0, 6, 8)});
    handlers->yürüt10();
    EXPECT_EQ(sound.plays(), (Plays{{4, 8}}));
    EXPECT_EQ(sound.stops(), 3);
    EXPECT_EQ(view.calls.size(), 12u);
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(Melody, AnIncompleteLastRecordFailsAfterTheCompleteOnesPlayed) {
    writeMelody({note(0, 1, 6), note(0, 2, 6)}, "0,3,6,0\r\n");
    bool framesOffWhilePlaying = false;
    onEvents = [&](int) {
        framesOffWhilePlaying =
            controls.allFrames({WindowFrame::record, WindowFrame::pitchLevel, WindowFrame::reset,
                                WindowFrame::makam, WindowFrame::empty, WindowFrame::octave},
                               false) &&
            controls.frameOn(WindowFrame::melody) && controls.caption == "0";
    };
    handlers->yürüt10();
    EXPECT_TRUE(framesOffWhilePlaying);
    EXPECT_EQ(sound.plays().size(), 2u);
    EXPECT_EQ(messages.shown, (Calls{"ses dosyasından kaynaklanan bir hata oluştu.\nezgi.ses "
                                     "dosyasının 3. satırında hata: dosya beklenenden önce "
                                     "bitiyor (eksik değer)"}));
    EXPECT_EQ(controls.counters.back(), "blank");
    EXPECT_EQ(controls.caption, ">");
    EXPECT_TRUE(controls.idle());
    EXPECT_FALSE(st().playingBack);
}

TEST_F(Melody, MissingEmptyOrOutsideNamesFailWithTheMessage) {
    for (const char* name : {"", "yok", "../ezgi", "a/b"}) {
        messages.shown.clear();
        controls.melodyNameBox = name;
        handlers->aç_kapa_buton_Click();
        ASSERT_EQ(messages.shown.size(), 1u) << name;
        EXPECT_EQ(messages.shown[0].rfind("ses dosyasından kaynaklanan bir hata oluştu.\n" +
                                              std::string(name) + ".ses dosyasının 1. satırında",
                                          0),
                  0u)
            << messages.shown[0];
        EXPECT_EQ(controls.caption, ">");
        EXPECT_FALSE(st().playingBack);
    }
    EXPECT_TRUE(sound.events.empty());
}

TEST_F(Melody, StartStopDuringANoteCutsItAndEndsThePlayback) {
    writeMelody({note(0, 1, 1), note(0, 2, 6), note(0, 3, 6)}); // a whole note: 2560 ms
    double clickedAt = 0;
    onEvents = [&](int) {
        if (clickedAt == 0 && !sound.plays().empty() && clock.now >= sound.events[0].at + 1000) {
            clickedAt = clock.now;
            handlers->aç_kapa_buton_Click();
        }
    };
    handlers->aç_kapa_buton_Click();
    EXPECT_EQ(sound.plays().size(), 1u);
    ASSERT_TRUE(sound.events[1].stop);
    EXPECT_DOUBLE_EQ(sound.events[1].at, clickedAt); // cut by the click itself
    EXPECT_LE(clock.now, clickedAt + kSliceMs);
    EXPECT_EQ(controls.counters, (Calls{"001", "blank"}));
    EXPECT_EQ(controls.caption, ">");
    EXPECT_FALSE(st().playingBack);
    EXPECT_TRUE(controls.idle());
}

} // namespace
} // namespace zembera
