#include "sound/wav_reader.h"

#include <gtest/gtest.h>

#include <string>

#include "common/messages.h"
#include "sound_test_support.h"

namespace zembera {
namespace {

using test::Bytes;
using test::canonicalWav;
using test::rampSamples;
using test::riffAndFormat;

std::string dataIdOf(const WavSamples& w) {
    return {w.wavHeader.dataId.begin(), w.wavHeader.dataId.end()};
}

// --- Files laid out as the reader expects them -------------------------------------------------

TEST(WavReaderLayout, SamplesComeFromTheDataChunkWhereverItLies) {
    const auto samples = rampSamples(10);
    Bytes junkBefore = riffAndFormat(1, 44100, 16);
    junkBefore.id("junk").u32(26).fill(26, 0x11); // the data head at 70, the samples at 78
    junkBefore.id("data").u32(20).samples(samples);
    Bytes capitalInPlace = riffAndFormat(1, 44100, 16);
    capitalInPlace.id("DATA").u32(20).samples(samples);
    Bytes mixedCaseBehindList = riffAndFormat(1, 44100, 16);
    mixedCaseBehindList.id("LIST").u32(4).id("INFO").id("DaTa").u32(20).samples(samples);
    Bytes stereo = riffAndFormat(2, 44100, 16);
    stereo.id("data").u32(16).samples({1, -1, 2, -2, 3, -3, 4, -4});
    const struct {
        const char* what;
        std::vector<std::uint8_t> file;
        std::vector<std::int16_t> samples;
        std::string dataId;     // as read in place, "data" when found by search
        std::uint32_t dataSize; // the found chunk's, not the bytes at offset 40
        std::uint16_t blockAlign;
    } cases[] = {
        {"canonical", canonicalWav(rampSamples(300)), rampSamples(300), "data", 600, 2},
        {"junk chunk before the data", junkBefore.data, samples, "data", 20, 2},
        {"capital id in place", capitalInPlace.data, samples, "DATA", 20, 2},
        {"mixed-case id found by search", mixedCaseBehindList.data, samples, "data", 20, 2},
        // Consecutive values of the first half, whatever the channel count.
        {"stereo", stereo.data, {1, -1, 2, -2}, "data", 16, 4},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const auto w = ReadWavSamples(c.file);
        ASSERT_TRUE(w);
        EXPECT_EQ(w->sourceSamples, c.samples);
        EXPECT_EQ(dataIdOf(*w), c.dataId);
        EXPECT_EQ(w->wavHeader.dataSize, c.dataSize);
        EXPECT_EQ(w->wavHeader.sampleRate, 44100u);
        EXPECT_EQ(w->wavHeader.blockAlign, c.blockAlign);
    }
}

TEST(WavReaderLayout, SampleCountRoundsHalvesToEven) {
    // Block align 4 with data sizes giving 1.5, 2.5, 3.5 and 2.75 frames; enough bytes follow.
    const std::vector<std::pair<std::uint32_t, std::size_t>> cases{
        {6, 2}, {10, 2}, {14, 4}, {11, 3}, {9, 2}};
    for (const auto& [dataSize, expected] : cases) {
        Bytes b = riffAndFormat(2, 44100, 16);
        b.id("data").u32(dataSize).samples(rampSamples(16));
        const auto w = ReadWavSamples(b.data);
        ASSERT_TRUE(w) << dataSize;
        EXPECT_EQ(w->sourceSamples.size(), expected) << "data size " << dataSize;
    }
}

// --- Files the reader must refuse or cut short, without crashing --------------------------------

TEST(WavReaderDamage, NothingReadableGivesNoSamples) {
    EXPECT_FALSE(ReadWavSamples(std::vector<std::uint8_t>{}));
    EXPECT_FALSE(ReadWavSamples(std::vector<std::uint8_t>{'R', 'I', 'F', 'F'}));

    Bytes noData = riffAndFormat(1, 44100, 16);
    noData.id("junk").u32(4).fill(500, 0x61); // "aaaa...": no data id anywhere
    EXPECT_FALSE(ReadWavSamples(noData.data));

    Bytes emptyChunk = riffAndFormat(1, 44100, 16);
    emptyChunk.id("data").u32(0).samples({1, 2, 3});
    EXPECT_FALSE(ReadWavSamples(emptyChunk.data));

    Bytes zeroAlign;
    zeroAlign.id("RIFF").u32(0).id("WAVE").id("fmt ").u32(16).u16(1).u16(1).u32(44100);
    zeroAlign.u32(88200).u16(0).u16(16).id("data").u32(8).samples({1, 2, 3, 4});
    EXPECT_FALSE(ReadWavSamples(zeroAlign.data));

    Bytes headOnly = riffAndFormat(1, 44100, 16);
    headOnly.id("data").u32(100).fill(1, 0x7f); // one stray byte: no whole value
    EXPECT_FALSE(ReadWavSamples(headOnly.data));
}

TEST(WavReaderDamage, ClaimBeyondTheFileReadsOnlyTheWholeValuesPresent) {
    for (const std::uint32_t claim : {200u, 0x80000000u}) {
        Bytes b = riffAndFormat(1, 44100, 16);
        b.id("data").u32(claim).samples({-7, 8, -9}).fill(1, 0x55);
        const auto w = ReadWavSamples(b.data);
        ASSERT_TRUE(w) << claim;
        EXPECT_EQ(w->sourceSamples, (std::vector<std::int16_t>{-7, 8, -9})) << claim;
        EXPECT_EQ(w->wavHeader.dataSize, claim);                // the claim is kept as read
        EXPECT_LT(w->sourceSamples.capacity(), 1000u) << claim; // nothing sized by the claim
    }
}

// --- Reading from disk ---------------------------------------------------------------------------

TEST(WavReaderFile, ReadsAFileAndReportsUnreadableOnes) {
    test::TempDir dir;
    RecordedMessages messages;
    test::writeFile(dir.path() / "good.wav", canonicalWav(rampSamples(5)));
    test::writeFile(dir.path() / "empty.wav", {});
    test::writeFile(dir.path() / "text.wav", {'h', 'e', 'l', 'l', 'o'});

    const auto good = ReadWavSamples(dir.path() / "good.wav", messages);
    ASSERT_TRUE(good);
    EXPECT_EQ(good->sourceSamples, rampSamples(5));
    EXPECT_TRUE(messages.shown.empty());

    for (const char* name : {"empty.wav", "text.wav", "missing.wav"}) {
        messages.shown.clear();
        EXPECT_FALSE(ReadWavSamples(dir.path() / name, messages)) << name;
        EXPECT_EQ(messages.shown, std::vector<std::string>{"File format not recognized!"}) << name;
    }
}

} // namespace
} // namespace zembera
