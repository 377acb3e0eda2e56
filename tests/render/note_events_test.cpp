#include "render/note_events.h"

#include <gtest/gtest.h>

#include "common/text_fields.h"
#include "files/record_file.h"
#include "render_rig.h"

namespace zembera {
namespace {

using test::melodyLine;

std::vector<std::tuple<double, int, int>> listed(const NoteEvents& piece) {
    std::vector<std::tuple<double, int, int>> out;
    for (const NoteEvent& e : piece.events)
        out.emplace_back(e.onsetMs, e.string, e.mandal);
    return out;
}

TEST(MelodyEvents, NotesRestsAndSkipsOnThePlayersClock) {
    PlayerSettings settings; // "şartlı", tempo 40, every mandal at 0
    settings.mandalPos[12] = 2;
    const std::string text = melodyLine(8, 3, 5, 1)     // string 12 at the file mandal 5, 640 ms
                             + melodyLine(8, 4, 5, 0)   // at the instrument's 2, 320 ms
                             + melodyLine(0, 0)         // duration code 0: skipped, no time
                             + melodyLine(40, 3)        // no note: skipped
                             + melodyLine(28, 0)        // a rest of 8 units
                             + melodyLine(15, 9, 0, 0)  // code 9: the rest's 8 units again
                             + melodyLine(0, 4, 40, 1); // file mandal off the string: silent
    const NoteEvents piece = melodyEvents(text, "a.ses", settings);
    using E = std::tuple<double, int, int>;
    EXPECT_EQ(listed(piece),
              (std::vector<E>{{0, 12, 5}, {640, 12, 2}, {960, 0, 0}, {1280, 12, 2}, {1600, 0, 0}}));
    EXPECT_EQ(piece.endMs, 1920);

    // The pitch level's shift moves the strings (and, in "şartlı", the marked file mandals by 6);
    // the tempo scales every length; "çalgı" ignores the file mandal.
    settings.ahenkShift = 1;
    settings.unitMs = 30;
    EXPECT_EQ(listed(melodyEvents(melodyLine(8, 3, 1, 1), "a.ses", settings)),
              (std::vector<E>{{0, 13, 7}}));
    settings.melodyMode = MandalMode::çalgı;
    const NoteEvents çalgı = melodyEvents(melodyLine(8, 3, 1, 1), "a.ses", settings);
    EXPECT_EQ(listed(çalgı), (std::vector<E>{{0, 13, 0}}));
    EXPECT_EQ(çalgı.endMs, 480);
}

TEST(MelodyEvents, AFaultyRecordThrowsNamingTheFile) {
    try {
        melodyEvents(melodyLine(8, 3) + "1,2,3", "kırık.ses", PlayerSettings{});
        FAIL() << "no error";
    } catch (const FormatError& e) {
        EXPECT_EQ(e.file(), "kırık.ses");
    }
}

TEST(RecordingEvents, PlucksAtThePresentMandalsForTheirDurations) {
    PlayerSettings settings;
    settings.mandalPos[5] = 3;
    const std::string text = recordLine(5, -2, 120) + recordLine(9, 4, -50) // no time at all
                             + recordLine(26, 0, 300);
    const NoteEvents piece = recordingEvents(text, "kayıt.txt", settings);
    using E = std::tuple<double, int, int>;
    EXPECT_EQ(listed(piece), (std::vector<E>{{0, 5, 3}, {120, 9, 0}, {120, 26, 0}}));
    EXPECT_EQ(piece.endMs, 420);

    // The shift takes string 26 off the instrument: it stays silent but keeps its time.
    settings.ahenkShift = 1;
    EXPECT_EQ(listed(recordingEvents(text, "kayıt.txt", settings)),
              (std::vector<E>{{0, 6, 3}, {120, 10, 0}, {120, 0, 0}}));
    // "şartlı" and "dosya" replay in silence.
    settings.replayMode = 2;
    EXPECT_EQ(listed(recordingEvents(text, "kayıt.txt", settings)),
              (std::vector<E>{{0, 0, 0}, {120, 0, 0}, {120, 0, 0}}));
    EXPECT_THROW(recordingEvents(" 27 0 10\r\n", "kayıt.txt", settings), FormatError);
}

} // namespace
} // namespace zembera
