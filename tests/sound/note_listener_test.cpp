// What the sound service announces of the notes on its memory channel: the players' notes it is
// given by string and position, with their pitch, and every end of a note there.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sound/note_listener.h"
#include "sound/patched_sample.h"
#include "sound/service_rig.h"

namespace zembera {
namespace {

class HeardNotes : public NoteListener {
  public:
    void noteStarted(const StartedNote& n) override {
        heard.push_back("on " + std::to_string(n.voice) + " " + std::to_string(n.cents) + " " +
                        std::to_string(n.velocity));
    }
    void noteEnded(int voice) override { heard.push_back("off " + std::to_string(voice)); }
    std::vector<std::string> take() { return std::exchange(heard, {}); }
    std::vector<std::string> heard;
};

std::string on(double cents) {
    return "on 0 " + std::to_string(cents) + " 127";
}

TEST(NoteAnnouncements, ThePlayersNotesStartWithTheirPitchAndEveryCutOrStopEndsTheMemoryNote) {
    test::TempDir folder;
    PerString<std::string> names;
    for (int s = 1; s <= 26; ++s)
        names[static_cast<std::size_t>(s)] = "xx_026200_" + std::to_string(s) + ".wav";
    test::writeFile(folder.path() / names[17], test::canonicalWav(test::constant(2000, 900)));
    PitchTables tables;
    tables.centTable(17, 3) = 170;
    tables.centTable(17, -2) = -30;
    PerString<float> tuningOffset{};
    tuningOffset[17] = 12.5F;
    const PatchedSampleSource source{folder.path(), names, tables, tuningOffset};

    test::ServiceRig rig;
    HeardNotes first, second;
    rig.sound.notes().add(first);
    rig.sound.notes().add(second);
    rig.sound.notes().add(first); // once is enough

    // The pitch is the table's entry plus the string's fine tuning.
    rig.sound.PlayPatchedSample(source, 17, 3);
    EXPECT_EQ(first.take(), (std::vector<std::string>{"off 0", on(170 + 12.5)}));
    EXPECT_EQ(second.take(), (std::vector<std::string>{"off 0", on(182.5)}));
    // Off the instrument nothing starts and the note goes on.
    rig.sound.PlayPatchedSample(source, 17, 13);
    rig.sound.PlayPrepared(source, rig.sound.PreparePatchedSample(source, 27, 0));
    EXPECT_EQ(first.take(), std::vector<std::string>{});
    // Prepared ahead or not, the same note.
    rig.sound.PlayPrepared(source, rig.sound.PreparePatchedSample(source, 17, -2));
    rig.sound.PlayPrepared(source, SoundOutput::PreparedNote{17, 3, false, {}});
    EXPECT_EQ(first.take(),
              (std::vector<std::string>{"off 0", on(-30 + 12.5), "off 0", on(182.5)}));
    // An image of unknown string, a decoded sound and a stop each end the note sounding; a
    // letter key's alias and a chord's further note announce nothing here.
    rig.sound.PlayImage(test::imageOf(test::constant(100, 5)), kSndAsync);
    rig.sound.PlayDecoded({});
    rig.sound.StopAllSound();
    EXPECT_EQ(first.take(), (std::vector<std::string>{"off 0", "off 0", "off 0"}));
    EXPECT_TRUE(rig.sound.MciOpenPlay("a.wav", "a", test::imageOf(test::constant(100, 5))));
    rig.sound.MciStopClose("a");
    rig.sound.PlayPreparedBeside(source, rig.sound.PreparePatchedSample(source, 17, 3), "chord1");
    EXPECT_EQ(first.take(), std::vector<std::string>{});
    // A listener removed hears no more.
    rig.sound.notes().remove(second);
    second.take();
    rig.sound.StopAllSound();
    EXPECT_EQ(second.take(), std::vector<std::string>{});
    EXPECT_EQ(first.take(), std::vector<std::string>{"off 0"});
}

} // namespace
} // namespace zembera
