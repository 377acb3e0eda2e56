// Cost of preparing a string's sound: a 10-second rising and falling note from a cached sample,
// beside a plain copy of as many bytes, and the start-up preparation of all 26 strings from the
// bundled program folder (fresh each time, so reading the sample files counts).

#include <benchmark/benchmark.h>

#include <cstring>
#include <filesystem>
#include <memory>
#include <random>

#include "common/messages.h"
#include "loader/sample_folder.h"
#include "pitch/pitch_table.h"
#include "samples/sound_image.h"
#include "samples/wav_header.h"
#include "sound/string_sounds.h"

namespace zembera {
namespace {

constexpr std::size_t kTenSecondImage = 44 + 2 * 441000;

// Two long samples (30 s each) in a temporary folder: string 1 at 100 Hz, string 2 at 500 Hz.
// At 0 cents (262 Hz) string 1 rises (ratio 2.62) and string 2 falls (0.524); both give 10 s.
class LongSamples {
  public:
    LongSamples() {
        std::random_device seed;
        folder_ = std::filesystem::temp_directory_path() /
                  ("zembera-bench-" + std::to_string(seed()) + std::to_string(seed()));
        std::filesystem::create_directories(folder_);
        names_[1] = "01_010000_ab.wav";
        names_[2] = "02_050000_cd.wav";
        for (int s = 1; s <= 2; ++s)
            writeSample(folder_ / names_[s], 30 * 44100);
        tables_ = std::make_unique<PitchTables>();
    }
    ~LongSamples() {
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }
    const std::filesystem::path& folder() const { return folder_; }
    const PerString<std::string>& names() const { return names_; }
    const PitchTables& tables() const { return *tables_; }

  private:
    static void writeSample(const std::filesystem::path& file, std::size_t count) {
        WavHeader header;
        BuildWavHeader(header, static_cast<std::int64_t>(count), 1, 44100, 16);
        std::vector<std::uint8_t> bytes(WavHeader::kSize + 2 * count);
        const auto head = headerBytes(header);
        std::memcpy(bytes.data(), head.data(), head.size());
        for (std::size_t i = 0; i < count; ++i) {
            const auto v = static_cast<std::uint16_t>(i * 2654435761u >> 16);
            bytes[44 + 2 * i] = static_cast<std::uint8_t>(v);
            bytes[45 + 2 * i] = static_cast<std::uint8_t>(v >> 8);
        }
        std::FILE* out = std::fopen(file.c_str(), "wb");
        std::fwrite(bytes.data(), 1, bytes.size(), out);
        std::fclose(out);
    }
    std::filesystem::path folder_;
    PerString<std::string> names_;
    std::unique_ptr<PitchTables> tables_;
};

const LongSamples& longSamples() {
    static const LongSamples samples;
    return samples;
}

void prepareNote(benchmark::State& state, int s) {
    const LongSamples& samples = longSamples();
    RecordedMessages messages;
    StringSounds sounds(samples.folder(), samples.names(), messages);
    sounds.PrepareStringSound(s, 0, samples.tables(), 0); // reads and caches the sample
    if (sounds.stringSound(s)->size() != kTenSecondImage) {
        state.SkipWithError("the note is not 10 seconds long");
        return;
    }
    for (auto _ : state) {
        sounds.PrepareStringSound(s, 0, samples.tables(), 0);
        benchmark::DoNotOptimize(sounds.stringSound(s)->data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kTenSecondImage));
}

void BM_PrepareRisingNote10s(benchmark::State& state) {
    prepareNote(state, 1);
}
void BM_PrepareFallingNote10s(benchmark::State& state) {
    prepareNote(state, 2);
}

// The yardstick: copying the bytes of a 10-second image into a buffer that already exists.
void BM_PlainCopy10sImage(benchmark::State& state) {
    std::vector<std::uint8_t> from(kTenSecondImage, 0x5A);
    std::vector<std::uint8_t> to(kTenSecondImage);
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), kTenSecondImage);
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kTenSecondImage));
}

// What a preparation would cost if resampling were free: a new image of the same size, filled by
// a copy.
void BM_PlainCopyIntoNewImage(benchmark::State& state) {
    std::vector<std::uint8_t> from(kTenSecondImage, 0x5A);
    for (auto _ : state) {
        auto image = std::make_shared<SoundImage>(kTenSecondImage);
        std::memcpy(image->data(), from.data(), kTenSecondImage);
        benchmark::DoNotOptimize(image->data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kTenSecondImage));
}

// Start-up: all 26 strings at position 0 from the program folder, samples read from disk.
void BM_PrepareAll26StringsAtStart(benchmark::State& state) {
    const std::filesystem::path program = ZEMBERA_PROGRAM_DIR;
    const std::filesystem::path wavs = program / kSampleFolderName;
    std::error_code error;
    if (!std::filesystem::is_directory(wavs, error) ||
        !std::filesystem::exists(program / kTableFileName, error)) {
        state.SkipWithError("the bundled program folder is not built");
        return;
    }
    const SampleFolderCheck check = checkSampleFolder(wavs);
    if (check.error) {
        state.SkipWithError(check.error->c_str());
        return;
    }
    std::unique_ptr<PitchTables> tables;
    try {
        tables = std::make_unique<PitchTables>(tablo_oku_txt(program));
    } catch (const std::exception& e) {
        state.SkipWithError(e.what());
        return;
    }
    RecordedMessages messages;
    for (auto _ : state) {
        StringSounds sounds(wavs, check.folder.sampleFileName, messages);
        for (int s = 1; s <= kStringCount; ++s)
            sounds.PrepareStringSound(s, 0, *tables, 0);
        benchmark::DoNotOptimize(sounds.stringSound(kStringCount)->data());
    }
    if (!messages.shown.empty()) state.SkipWithError(messages.shown.front().c_str());
}

BENCHMARK(BM_PrepareRisingNote10s)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PrepareFallingNote10s)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PlainCopy10sImage)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PlainCopyIntoNewImage)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PrepareAll26StringsAtStart)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace zembera
