#include "sound/string_sounds.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <string_view>
#include <system_error>
#include <thread>
#include <vector>

#include "common/text_fields.h"
#include "engine/resample.h"
#include "samples/file_bytes.h"
#include "sound/wav_image.h"

namespace zembera {
namespace {

// Longest resampled note, in seconds.
constexpr double kNoteSeconds = 10;

const SoundImagePtr& silentImage() {
    static const SoundImagePtr empty = std::make_shared<const SoundImage>();
    return empty;
}

// Characters 4-9 of a sample name (counted as characters, not bytes): the nominal frequency in
// hundredths of a hertz.
std::string_view frequencyField(std::string_view name) {
    std::size_t start = name.size();
    std::size_t end = name.size();
    std::size_t character = 0;
    for (std::size_t i = 0; i < name.size(); ++i) {
        if ((static_cast<unsigned char>(name[i]) & 0xC0) == 0x80) continue; // continuation byte
        if (character == 3) start = i;
        if (character == 9) {
            end = i;
            break;
        }
        ++character;
    }
    return start < end ? name.substr(start, end - start) : std::string_view{};
}

bool validString(int s) {
    return s >= 1 && s <= kStringCount;
}

} // namespace

StringSounds::StringSounds(std::filesystem::path sampleFolder,
                           PerString<std::string> sampleFileName, MessageService& messages,
                           std::filesystem::path scratchFolder)
    : sampleFolder_(std::move(sampleFolder)),
      scratchFolder_(scratchFolder.empty() ? sampleFolder_ : std::move(scratchFolder)),
      sampleFileName_(std::move(sampleFileName)), messages_(messages) {}

void StringSounds::notePitch(int s, int m, const PitchTables& tables, float tuningOffset) {
    noteCents = static_cast<float>(tuningOffset + tables.centTable(s, m));
    noteFrequency =
        static_cast<float>(kReferenceHz * std::pow(2.0, static_cast<double>(noteCents) / 1200));
}

void StringSounds::ensureStringSound(int s, int m, const PitchTables& tables, float tuningOffset) {
    if (!validString(s) || m < kMandalLow || m > kMandalHigh) return;
    notePitch(s, m, tables, tuningOffset);
    if (imageFrequency_[s] == noteFrequency) return;
    PrepareStringSound(s, m, tables, tuningOffset);
}

void StringSounds::PrepareStringSound(int s, int m, const PitchTables& tables, float tuningOffset) {
    if (!validString(s) || m < kMandalLow || m > kMandalHigh) return;

    notePitch(s, m, tables, tuningOffset);
    const auto sampleFrequency =
        static_cast<float>(leadingNumber(frequencyField(sampleFileName_[s])) / 100);

    SoundImagePtr image;
    if (noteFrequency == sampleFrequency) {
        image = ownPitchImage(s);
    } else if (const WavSamples* source = decodedSamples(s)) {
        const ResamplePlan plan = planResample(sampleFrequency, noteFrequency, kNoteSeconds,
                                               source->sourceSamples.size());
        image = buildResampledImage(plan, source->sourceSamples);
    }
    images_[s] = image ? std::move(image) : silentImage();
    imageFrequency_[s] = noteFrequency;
    imageGeneration_[s] = ++lastGeneration_;
}

SoundImagePtr StringSounds::stringSound(int s) const {
    if (!validString(s) || !images_[s]) return silentImage();
    return images_[s];
}

std::string StringSounds::scratchFileName(int s) {
    return std::to_string(s) + "zz.zz";
}

StringSounds::ScratchSound StringSounds::scratchSound(int s) const {
    if (!validString(s)) return {{}, silentImage()};
    return {scratchFolder_ / scratchFileName(s), stringSound(s)};
}

bool StringSounds::writeScratchFile(int s) {
    if (!validString(s)) return false;
    const std::filesystem::path file = scratchFolder_ / scratchFileName(s);
    std::error_code error;
    if (scratchGeneration_[s] == imageGeneration_[s] && std::filesystem::exists(file, error))
        return true;
    if (scratchFailedGeneration_[s] == imageGeneration_[s]) return false;
    if (!writeFileWhole(file, *stringSound(s))) {
        scratchFailedGeneration_[s] = imageGeneration_[s];
        return false;
    }
    scratchGeneration_[s] = imageGeneration_[s];
    return true;
}

void StringSounds::writeScratchFiles() {
    for (int s = 1; s <= kStringCount; ++s)
        writeScratchFile(s);
}

std::filesystem::path StringSounds::scratchFile(int s) {
    if (!validString(s)) return {};
    writeScratchFile(s);
    return scratchFolder_ / scratchFileName(s);
}

StringSounds::Sample& StringSounds::sample(int s) {
    Sample& sample = samples_[s];
    if (!sample.read) {
        sample.read = true;
        LimitedRead<SoundImage> file = readSoundFileBytes(sampleFolder_ / sampleFileName_[s]);
        if (file.bytes)
            sample.fileBytes = std::make_shared<const SoundImage>(std::move(*file.bytes));
        else
            sample.content.problem = std::move(file.problem); // too large, not a file, ...
    }
    return sample;
}

void StringSounds::loadSample(int s) {
    Sample& sample = this->sample(s);
    if (sample.decoded) return;
    sample.decoded = true;
    if (sample.fileBytes) {
        sample.converted = !isProgramLayout(*sample.fileBytes);
        sample.content = readSample(*sample.fileBytes);
    } else if (sample.content.problem.empty()) {
        sample.content.problem = "dosya açılamadı";
    }
    // Only a file that plays as it is is needed again; the decoded samples stand for others.
    if (!sample.content.playsAsIs) sample.fileBytes.reset();
}

void StringSounds::readSamples(unsigned threads) {
    // Each string is taken by exactly one thread, and each thread writes only the entries of the
    // strings it took: the threads share nothing but the counter. Joining them hands every entry
    // back to this thread.
    std::atomic<int> next{1};
    const auto work = [this, &next] {
        for (int s = next.fetch_add(1); s <= kStringCount; s = next.fetch_add(1))
            loadSample(s);
    };
    std::vector<std::thread> helpers;
    const unsigned extra = threads == 0 ? 0 : std::min<unsigned>(threads, kStringCount) - 1;
    for (unsigned i = 0; i < extra; ++i) {
        try {
            helpers.emplace_back(work);
        } catch (const std::system_error&) {
            break; // no more threads: the ones there are do the rest
        }
    }
    work();
    for (std::thread& helper : helpers)
        helper.join();
}

SoundImagePtr StringSounds::convertedSample(int s) {
    if (!validString(s)) return nullptr;
    loadSample(s);
    if (!samples_[s].converted || !samples_[s].content.samples) return nullptr;
    return ownPitchImage(s);
}

const WavSamples* StringSounds::decodedSamples(int s) {
    loadSample(s);
    Sample& sample = samples_[s];
    if (!sample.content.samples) {
        // Never borrow another string's samples: this string stays silent.
        reportUnreadable(s);
        return nullptr;
    }
    return &*sample.content.samples;
}

SoundImagePtr StringSounds::ownPitchImage(int s) {
    const WavSamples* samples = decodedSamples(s);
    if (!samples) return nullptr;
    Sample& sample = samples_[s];
    // A file in the program's own layout is the image byte for byte; any other plays decoded.
    if (sample.content.playsAsIs) return sample.fileBytes;
    if (!sample.ownPitch) sample.ownPitch = buildSampleImage(samples->sourceSamples);
    return sample.ownPitch;
}

void StringSounds::reportUnreadable(int s) {
    Sample& sample = samples_[s];
    if (sample.reported) return;
    sample.reported = true;
    heldReports_.push_back(s);
    if (!holdReports_) releaseSampleReports();
}

void StringSounds::holdSampleReports() {
    holdReports_ = true;
}

void StringSounds::releaseSampleReports() {
    holdReports_ = false;
    if (heldReports_.empty()) return;
    std::vector<UnusableSample> unusable;
    for (const int s : heldReports_)
        unusable.push_back({sampleFileName_[s], samples_[s].content.problem});
    heldReports_.clear();
    messages_.show(unusableSamplesMessage(unusable));
}

} // namespace zembera
