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
    // letter key's alias announces nothing here.
    rig.sound.PlayImage(test::imageOf(test::constant(100, 5)), kSndAsync);
    rig.sound.PlayDecoded({});
    rig.sound.StopAllSound();
    EXPECT_EQ(first.take(), (std::vector<std::string>{"off 0", "off 0", "off 0"}));
    EXPECT_TRUE(rig.sound.MciOpenPlay("a.wav", "a", test::imageOf(test::constant(100, 5))));
    rig.sound.MciStopClose("a");
    EXPECT_EQ(first.take(), std::vector<std::string>{});
    // A listener removed hears no more.
    rig.sound.notes().remove(second);
    second.take();
    rig.sound.StopAllSound();
    EXPECT_EQ(second.take(), std::vector<std::string>{});
    EXPECT_EQ(first.take(), std::vector<std::string>{"off 0"});
}

std::string on(int voice, double cents) {
    return "on " + std::to_string(voice) + " " + std::to_string(cents) + " 127";
}
std::string off(int voice) {
    return "off " + std::to_string(voice);
}

// The notes sounded beside the memory channel (a chord's further notes): each that sounds is
// announced on the voice of its alias, and ended when its alias is closed or its sound has run
// out, once; the memory channel is left alone.
TEST(NoteAnnouncements, NotesBesideTheMemoryChannelStartOnTheirOwnVoicesAndEndWhenClosedOrRunOut) {
    test::TempDir folder;
    PerString<std::string> names;
    for (int s = 1; s <= 26; ++s)
        names[static_cast<std::size_t>(s)] = "xx_026200_" + std::to_string(s) + ".wav";
    test::writeFile(folder.path() / names[17], test::canonicalWav(test::constant(2000, 900)));
    test::writeFile(folder.path() / names[9], test::canonicalWav(test::constant(2000, 900)));
    PitchTables tables;
    tables.centTable(17, 3) = 170;
    tables.centTable(9, 0) = -410;
    PerString<float> tuningOffset{};
    tuningOffset[17] = 12.5F;
    const PatchedSampleSource source{folder.path(), names, tables, tuningOffset};
    test::ServiceRig rig;
    HeardNotes heard;
    rig.sound.notes().add(heard);

    // Alias voices are taken from the lowest free one: a letter key's alias sits on voice 0.
    ASSERT_TRUE(rig.sound.MciOpenPlay("a.wav", "a", test::imageOf(test::constant(100, 5))));
    rig.sound.PlayPreparedBeside(source, rig.sound.PreparePatchedSample(source, 17, 3), "akor1");
    rig.sound.PlayPreparedBeside(source, SoundOutput::PreparedNote{9, 0, false, {}}, "AKOR2");
    EXPECT_EQ(heard.take(),
              (std::vector<std::string>{on(besideVoice(1), 182.5), on(besideVoice(2), -410)}));
    EXPECT_TRUE(rig.sound.aliasSounding("akor1"));
    // Nothing sounds, nothing is announced: off the instrument, a sample that cannot be read, an
    // alias still open.
    rig.sound.PlayPreparedBeside(source, SoundOutput::PreparedNote{17, 13, false, {}}, "akor3");
    rig.sound.PlayPreparedBeside(source, rig.sound.PreparePatchedSample(source, 5, 0), "akor3");
    rig.sound.PlayPreparedBeside(source, rig.sound.PreparePatchedSample(source, 9, 0), "akor1");
    EXPECT_FALSE(rig.sound.aliasSounding("akor3"));
    rig.sound.pump(); // both still sound
    EXPECT_EQ(heard.take(), std::vector<std::string>{});

    // A stop of the memory channel leaves them; closing each ends its note, once.
    rig.sound.StopAllSound();
    rig.sound.MciStopClose("akor2");
    rig.sound.MciStopClose("akor2");
    rig.sound.FadeNoteClose("akor1");
    rig.sound.MciStopClose("a");
    EXPECT_EQ(heard.take(), (std::vector<std::string>{off(kMemoryVoice), off(besideVoice(2)),
                                                      off(besideVoice(1))}));

    // A note whose sound runs out ends at the next pump; its later close says nothing more.
    rig.sound.PlayPreparedBeside(source, rig.sound.PreparePatchedSample(source, 17, 3), "akor1");
    EXPECT_EQ(heard.take(), std::vector<std::string>{on(besideVoice(0), 182.5)});
    for (int i = 0; i < 20 && rig.sound.aliasSounding("akor1"); ++i)
        rig.render(4096);
    ASSERT_FALSE(rig.sound.aliasSounding("akor1"));
    EXPECT_EQ(heard.take(), std::vector<std::string>{});
    rig.sound.pump();
    rig.sound.pump();
    EXPECT_EQ(heard.take(), std::vector<std::string>{off(besideVoice(0))});
    rig.sound.MciStopClose("akor1");
    EXPECT_EQ(heard.take(), std::vector<std::string>{});
    // The same without the rest of the pump.
    rig.sound.PlayPreparedBeside(source, rig.sound.PreparePatchedSample(source, 9, 0), "akor1");
    rig.sound.endRunOutBesideNotes();
    EXPECT_EQ(heard.take(), std::vector<std::string>{on(besideVoice(0), -410)});
    for (int i = 0; i < 20 && rig.sound.aliasSounding("akor1"); ++i)
        rig.render(4096);
    rig.sound.endRunOutBesideNotes();
    EXPECT_EQ(heard.take(), std::vector<std::string>{off(besideVoice(0))});
}

} // namespace
} // namespace zembera
