#include "files/melody_file.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "files/melody_handlers.h"
#include "files_rig.h"

namespace zembera {
namespace {

using test::Calls;
using test::Plays;
using Lengths = std::vector<double>;
using ::testing::ElementsAre;
using ::testing::StartsWith;

// The fields the player reads: tuplet, note, duration code, file mandal, dot, condition.
MelodyRecord note(std::int16_t tuplet, std::int16_t n, std::int16_t code, std::int16_t mandal = 0,
                  std::int16_t dot = 0, std::int16_t condition = 0) {
    return {{tuplet, n, code, mandal, dot, 0, 0, 0, 0, condition}};
}

TEST(MelodyRecords, LengthsStepsStringsAndMandals) {
    const int plain[] = {64, 32, 16, 8, 4, 2};
    const int dotted[] = {96, 48, 24, 12, 6, 3};
    for (int code = 1; code <= 6; ++code) {
        EXPECT_EQ(noteUnits(note(0, 0, code), 0), plain[code - 1]) << code;
        EXPECT_EQ(noteUnits(note(0, 0, code, 0, 1), 0), dotted[code - 1]) << code;
        EXPECT_EQ(noteUnits(note(0, 0, code, 0, 2), 0), plain[code - 1]) << code; // only 1 dots
        EXPECT_EQ(restUnits(32 - code), plain[code - 1]) << code;
        EXPECT_EQ(melodyStep(note(1, 25 + code, 0)), MelodyStep::rest); // code 0 skips no rest
    }
    // Triplets of codes 4 and 5, dotted or not; other codes ignore the tuplet field; any other
    // code keeps the previous length.
    const struct {
        MelodyRecord record;
        int units;
    } lengths[] = {{note(1, 0, 4), 5},        {note(3, 0, 4, 0, 1), 5}, {note(1, 0, 5), 3},
                   {note(1, 0, 5, 0, 1), 3},  {note(1, 0, 3), 16},      {note(-1, 0, 4), 8},
                   {note(0, 0, 7, 0, 1), 24}, {note(0, 0, -32768), 24}};
    for (const auto& l : lengths)
        EXPECT_EQ(noteUnits(l.record, 24), l.units) << l.record.tuplet() << l.record.durationCode();
    EXPECT_EQ(melodyStep(note(0, 25, 3)), MelodyStep::note);
    for (int n : {0, -1, 32, 32767, -32768})
        EXPECT_EQ(melodyStep(note(0, n, n == 0 ? 0 : 3)), MelodyStep::skip) << n;
    // Two overlapping runs of strings.
    EXPECT_EQ((std::array{noteString(0), noteString(14), noteString(15), noteString(25)}),
              (std::array{4, 18, 12, 22}));
    const MelodyRecord marked = note(0, 5, 3, 2, 0, 1);
    EXPECT_EQ(melodyMandal(MandalMode::çalgı, marked, -4, 1), -4);
    EXPECT_EQ(melodyMandal(MandalMode::dosya, note(0, 5, 3, 2), -4, 3), 2);
    EXPECT_EQ(melodyMandal(MandalMode::şartlı, note(0, 5, 3, 2), -4, 1), -4);
    for (int shift : {-2, -1, 1, 2, 3})
        EXPECT_EQ(melodyMandal(MandalMode::şartlı, marked, -4, shift), 8) << shift;
    for (int shift : {-3, 0, 4})
        EXPECT_EQ(melodyMandal(MandalMode::şartlı, marked, -4, shift), 2) << shift;
    // Ten fields wherever the lines break.
    FieldReader r("0,1,3\n4 5\r\n6,7,8,9,1\n2,26,0,0,0,0,0,0,0,0", "x.ses");
    EXPECT_EQ(readMelodyRecord(r).fields,
              (std::array<std::int16_t, 10>{0, 1, 3, 4, 5, 6, 7, 8, 9, 1}));
    EXPECT_EQ(readMelodyRecord(r).note(), 26);
    EXPECT_TRUE(r.atEnd());
    FieldReader tooBig("0,40000,3,0,0,0,0,0,0,0", "x.ses");
    EXPECT_THROW(readMelodyRecord(tooBig), FormatError);
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
        for (const MelodyRecord& r : records) {
            for (std::size_t i = 0; i < 10; ++i)
                text += std::to_string(r.fields[i]) + (i < 9 ? "," : "\r\n");
        }
        test::writeBytes(dir / "ezgi.ses", text + tail);
    }
    std::unique_ptr<MelodyHandlers> handlers;
};

TEST_F(Melody, NotesSoundTheirLengthWhileRestsSkipsAndCodeZeroAreOnlyCounted) {
    controls.melodyMode = 1; // çalgı: the instrument's own mandal
    st().mandalPos[4] = -3;
    writeMelody({note(0, 28, 3),      // rest of 8 units
                 note(0, 5, 0),       // code 0
                 note(0, 32, 3),      // not a note
                 note(0, 15, 9),      // previous length: the rest's 8 units, on string 12
                 note(0, 0, 3),       // a quarter of 16 units on string 4
                 note(0, 3, 5, 0, 1), // tempo read at every note: 6 units at 60 ms
                 note(0, 3, 8)});
    onEvents = [&] {
        if (controls.counters.size() == 6) st().vscrollValue = 60;
    };
    const double before = clock.now;
    handlers->aç_kapa_buton_Click();
    EXPECT_EQ(sound.plays(), (Plays{{12, 0}, {4, -3}, {7, 0}, {7, 0}}));
    EXPECT_EQ(sound.lengths(), (Lengths{8 * 40, 16 * 40, 6 * 60, 6 * 60}));
    EXPECT_DOUBLE_EQ(clock.now - before, 8 * 40 + 8 * 40 + 16 * 40 + 12 * 60);
    EXPECT_EQ(sound.stops(), 4); // a rest stops no sound
    EXPECT_EQ(st().currentString, 7);
    Calls perNote;
    for (int k = 0; k < 4; ++k)
        perNote.insert(perNote.end(), {"tel_çiz", "mandal_at", "porte", "etiket"});
    EXPECT_EQ(view.calls, perNote);
    EXPECT_EQ(controls.counters, (Calls{"001", "002", "003", "004", "005", "006", "007", "blank"}));
    EXPECT_EQ(controls.caption, ">");
    EXPECT_TRUE(finished());
    EXPECT_TRUE(messages.shown.empty());

    // The first note with an unknown code lasts nothing.
    writeMelody({note(0, 3, 7), note(0, 3, 6)});
    sound.events.clear();
    handlers->yürüt10();
    EXPECT_EQ(sound.lengths(), (Lengths{0, 2 * 60}));
}

TEST_F(Melody, ModesChooseTheMandalAndTheShiftMovesTheString) {
    st().mandalPos[10] = 1;
    st().mandalPos[11] = -2;
    program->tuning.ahenkShift = 1;
    writeMelody({note(0, 5, 5, 2, 0, 1), // string 9 + 1, marked
                 note(0, 6, 5, 3, 0, 0), // string 10 + 1
                 note(0, 0, 6, 11)});    // string 4 + 1 reaches only 10
    const Plays expected[] = {
        {{10, 1}, {11, -2}, {5, 0}}, // çalgı
        {{10, 8}, {11, -2}, {5, 0}}, // şartlı: the marked note at its file mandal + 6
        {{10, 2}, {11, 3}},          // dosya: a file mandal out of range plays nothing
    };
    for (int mode : {1, 2, 3}) {
        controls.melodyMode = mode;
        clearLogs();
        handlers->yürüt10();
        EXPECT_EQ(sound.plays(), expected[mode - 1]) << mode;
        EXPECT_EQ(sound.stops(), 3) << mode;
        EXPECT_EQ(view.calls.size(), 12u) << mode;
        // The staff and the panel show what sounds; the mandals stay as they were.
        if (mode < 3) {
            EXPECT_EQ(view.staff, expected[mode - 1]) << mode;
        }
        EXPECT_EQ(st().mandalPos[10], 1);
        EXPECT_EQ(st().mandalPos[11], -2);
        EXPECT_TRUE(messages.shown.empty());
    }
}

TEST_F(Melody, FaultyOrMissingFilesFailWithTheMessageAfterTheCompleteRecordsPlayed) {
    writeMelody({note(0, 1, 6), note(0, 2, 6)}, "0,3,6,0\r\n");
    std::array<bool, kWindowFrames> framesWhilePlaying{};
    onEvents = [&] {
        if (controls.caption == "0") framesWhilePlaying = controls.frames;
    };
    handlers->yürüt10();
    EXPECT_EQ(framesWhilePlaying, (std::array{false, false, false, false, true, false, false}));
    EXPECT_EQ(sound.plays().size(), 2u);
    EXPECT_EQ(messages.shown, (Calls{"ses dosyasından kaynaklanan bir hata oluştu.\nezgi.ses "
                                     "dosyasının 3. satırında hata: dosya beklenenden önce "
                                     "bitiyor (eksik değer)"}));
    EXPECT_EQ(controls.counters.back(), "blank");
    EXPECT_TRUE(finished());

    sound.events.clear();
    for (const char* name : {"", "yok", "../ezgi", "a/b"}) {
        messages.shown.clear();
        controls.melodyNameBox = name;
        handlers->aç_kapa_buton_Click();
        EXPECT_THAT(messages.shown,
                    ElementsAre(StartsWith("ses dosyasından kaynaklanan bir hata oluştu.\n" +
                                           std::string(name) + ".ses dosyasının 1. satırında")));
        EXPECT_EQ(controls.caption, ">");
        EXPECT_TRUE(finished());
    }
    EXPECT_TRUE(sound.events.empty());
}

TEST_F(Melody, StartStopDuringANoteCutsItAndEndsThePlayback) {
    writeMelody({note(0, 1, 1), note(0, 2, 6), note(0, 3, 6)}); // a whole note: 2560 ms
    double clickedAt = 0;
    onEvents = [&] {
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
    EXPECT_TRUE(finished());
}

} // namespace
} // namespace zembera
