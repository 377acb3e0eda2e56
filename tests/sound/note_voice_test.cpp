// Notes played on voices of their own at a gain, and closed with a fade.

#include <gtest/gtest.h>

#include "service_rig.h"

namespace zembera {
namespace {

using test::constant;
using test::imageOf;

TEST(NoteVoices, NoteSoundsAtItsGainUntilItsFadedCloseAndTheAliasIsFreeAgain) {
    test::ServiceRig rig;
    ASSERT_TRUE(rig.sound.PlayNote("n60", imageOf(constant(20000, 10000)), 0.5F));
    EXPECT_FALSE(rig.sound.PlayNote("N60", imageOf(constant(100, 1)), 1.0F)); // still open
    EXPECT_EQ(rig.render(100), constant(100, 5000));
    rig.sound.FadeNoteClose("n60");
    const auto out = rig.render(300);
    EXPECT_EQ(out[0], 5000);
    EXPECT_GT(out[kReleaseFadeFrames - 1], 0);
    EXPECT_EQ(out[kReleaseFadeFrames], 0);
    EXPECT_TRUE(rig.sound.PlayNote("n60", imageOf(constant(10, 3)), 1.0F));
    EXPECT_EQ(rig.render(10), constant(10, 3));
    rig.sound.FadeNoteClose("unknown"); // harmless
    EXPECT_FALSE(rig.sound.PlayNote("n61", nullptr, 1.0F));
}

TEST(NoteVoices, ANoteOpenedDuringAFadeDoesNotCutItOff) {
    test::ServiceRig rig;
    ASSERT_TRUE(rig.sound.PlayNote("a", imageOf(constant(20000, 8800)), 1.0F));
    rig.render(50);
    rig.sound.FadeNoteClose("a");
    // The letter keys' MciOpenPlay takes another voice while the fade runs.
    const auto file = imageOf(constant(20000, 100));
    ASSERT_TRUE(rig.sound.MciOpenPlay("x.wav", "b", file));
    const auto out = rig.render(kReleaseFadeFrames + 10);
    EXPECT_EQ(out[0], 8900);
    EXPECT_EQ(out[kReleaseFadeFrames - 1], 140); // 8800/220 + 100: the last step of the fade
    EXPECT_EQ(out[kReleaseFadeFrames], 100);
}

} // namespace
} // namespace zembera
