// The players prepare each note before its onset through their sound output, the sound service:
// what comes out must be what PlayPatchedSample would have played.

#include <gtest/gtest.h>

#include "sound/service_rig.h"

namespace zembera {
namespace {

using test::constant;

TEST(PreparedNote, SoundsAsPlayPatchedSampleAndKeepsItsRules) {
    test::TempDir folder;
    PerString<std::string> names;
    for (int s = 1; s <= 26; ++s)
        names[static_cast<std::size_t>(s)] = "xx_022000_" + std::to_string(s) + ".wav";
    std::vector<std::int16_t> tone(20000);
    for (std::size_t i = 0; i < tone.size(); ++i)
        tone[i] = static_cast<std::int16_t>(1000 + (i * 37) % 3000);
    test::writeFile(folder.path() / names[17], test::canonicalWav(tone));
    PitchTables tables;
    PerString<float> tuningOffset{};
    tuningOffset[17] = 30;
    const PatchedSampleSource source{folder.path(), names, tables, tuningOffset};

    test::ServiceRig direct, ahead;
    SoundOutput& directOut = direct.sound; // as the players hold it
    SoundOutput& aheadOut = ahead.sound;
    directOut.PlayPatchedSample(source, 17, 3);
    const SoundOutput::PreparedNote note = aheadOut.PreparePatchedSample(source, 17, 3);
    EXPECT_EQ(ahead.render(64), constant(64, 0)); // nothing sounds before the onset
    aheadOut.PlayPrepared(source, note);
    const auto expected = direct.render(30000);
    EXPECT_NE(expected, constant(30000, 0));
    EXPECT_EQ(ahead.render(30000), expected);

    // Off the instrument nothing starts and the sounding note goes on; a missing sample
    // silences the channel.
    ahead.sound.PlayImage(test::imageOf(constant(5000, 700)), kSndAsync);
    aheadOut.PlayPrepared(source, aheadOut.PreparePatchedSample(source, 27, 0));
    aheadOut.PlayPrepared(source, aheadOut.PreparePatchedSample(source, 17, 13));
    EXPECT_EQ(ahead.render(100), constant(100, 700));
    aheadOut.PlayPrepared(source, aheadOut.PreparePatchedSample(source, 2, 0));
    ahead.render(kReleaseFadeFrames); // the note cut off dies away
    EXPECT_EQ(ahead.render(100), constant(100, 0));
}

} // namespace
} // namespace zembera
