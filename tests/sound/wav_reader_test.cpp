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

TEST(WavReaderLayout, CanonicalFileGivesEverySampleFromOffset44) {
    const auto samples = rampSamples(300);
    const auto w = ReadWavSamples(canonicalWav(samples));
    ASSERT_TRUE(w);
    EXPECT_EQ(w->sourceSamples, samples);
    EXPECT_EQ(w->wavHeader.dataSize, 600u);
    EXPECT_EQ(w->wavHeader.sampleRate, 44100u);
    EXPECT_EQ(w->wavHeader.blockAlign, 2);
}

TEST(WavReaderLayout, ChunkBeforeDataIsSkippedBySearch) {
    // "fmt " ends at 36; a 26-byte chunk puts the data head at 70 and the samples at 78.
    const auto samples = rampSamples(10);
    Bytes b = riffAndFormat(1, 44100, 16);
    b.id("junk").u32(26).fill(26, 0x11);
    ASSERT_EQ(b.data.size(), 70u);
    b.id("data").u32(20).samples(samples);
    const auto w = ReadWavSamples(b.data);
    ASSERT_TRUE(w);
    EXPECT_EQ(w->sourceSamples, samples);
    EXPECT_EQ(dataIdOf(*w), "data");
    EXPECT_EQ(w->wavHeader.dataSize, 20u); // the found chunk's size, not the bytes at offset 40
}

TEST(WavReaderLayout, CapitalDataIdIsAccepted) {
    const auto samples = rampSamples(4);
    Bytes atCanonicalPlace = riffAndFormat(1, 44100, 16);
    atCanonicalPlace.id("DATA").u32(8).samples(samples);
    auto w = ReadWavSamples(atCanonicalPlace.data);
    ASSERT_TRUE(w);
    EXPECT_EQ(w->sourceSamples, samples);

    Bytes foundBySearch = riffAndFormat(1, 44100, 16);
    foundBySearch.id("LIST").u32(4).id("INFO").id("DaTa").u32(8).samples(samples);
    w = ReadWavSamples(foundBySearch.data);
    ASSERT_TRUE(w);
    EXPECT_EQ(w->sourceSamples, samples);
    EXPECT_EQ(dataIdOf(*w), "data");
}

TEST(WavReaderLayout, StereoReadsConsecutiveValuesOfTheFirstHalf) {
    const std::vector<std::int16_t> interleaved{1, -1, 2, -2, 3, -3, 4, -4};
    Bytes b = riffAndFormat(2, 44100, 16);
    b.id("data").u32(16).samples(interleaved);
    const auto w = ReadWavSamples(b.data);
    ASSERT_TRUE(w);
    EXPECT_EQ(w->sourceSamples, (std::vector<std::int16_t>{1, -1, 2, -2}));
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

TEST(WavReaderDamage, TruncatedDataReadsOnlyWholeValuesPresent) {
    Bytes b = riffAndFormat(1, 44100, 16);
    b.id("data").u32(200).samples(rampSamples(10)).fill(1, 0x55);
    const auto w = ReadWavSamples(b.data);
    ASSERT_TRUE(w);
    EXPECT_EQ(w->sourceSamples, rampSamples(10));
    EXPECT_EQ(w->wavHeader.dataSize, 200u); // the claim is kept as read
}

TEST(WavReaderDamage, TwoGigabyteClaimReadsWhatTheFileHolds) {
    Bytes b = riffAndFormat(1, 44100, 16);
    b.id("data").u32(0x80000000u).samples({-7, 8, -9});
    const auto w = ReadWavSamples(b.data);
    ASSERT_TRUE(w);
    EXPECT_EQ(w->sourceSamples, (std::vector<std::int16_t>{-7, 8, -9}));
    EXPECT_LT(w->sourceSamples.capacity(), 1000u);
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
