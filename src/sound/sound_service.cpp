#include "sound/sound_service.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <optional>

#include "samples/file_bytes.h"
#include "sound/pcm_decode.h"

namespace zembera {
namespace {

std::string aliasKey(std::string_view alias) {
    std::string key(alias);
    std::transform(key.begin(), key.end(), key.begin(), [](char c) {
        return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    });
    return key;
}

std::optional<PcmSound> loadFile(const std::filesystem::path& file) {
    if (file.empty()) return std::nullopt;
    std::optional<SoundImage> bytes = readFileBytes(file);
    if (!bytes) return std::nullopt;
    return decodeWav(std::make_shared<const SoundImage>(std::move(*bytes)));
}

} // namespace

SoundService::SoundService(std::unique_ptr<AudioBackend> backend) : backend_(std::move(backend)) {
    ui_.assertUiThread();
    if (backend_) backend_->attach(mixer_);
}

SoundService::~SoundService() {
    ui_.assertUiThread();
    backend_.reset(); // no render runs after this, so the voices' sounds are released here
}

void SoundService::pump() {
    ui_.assertUiThread();
    if (backend_) backend_->poll();
    mixer_.collectGarbage();
    endRunOutBesideNotes();
}

void SoundService::endRunOutBesideNotes() {
    ui_.assertUiThread();
    // Nothing else tells when a note beside the memory channel runs out: only the service knows
    // which alias voice it sounds on. Its alias stays open until its player closes it.
    for (auto& [key, opened] : aliases_) {
        if (opened.announced && !mixer_.aliasSounding(opened.voice)) {
            opened.announced = false;
            notes_.noteEnded(besideVoice(static_cast<int>(opened.voice)));
        }
    }
}

void SoundService::PlayImage(const SoundImagePtr& image, std::uint32_t /*flags*/) {
    pump();
    std::optional<PcmSound> sound = decodeWav(image);
    mixer_.playMemory(sound ? std::move(*sound) : PcmSound{});
    notes_.noteEnded(kMemoryVoice);
}

void SoundService::PlayDecoded(PcmSound sound) {
    pump();
    mixer_.playMemory(std::move(sound));
    notes_.noteEnded(kMemoryVoice);
}

void SoundService::StopAllSound() {
    pump();
    mixer_.stopMemory();
    notes_.noteEnded(kMemoryVoice);
}

bool SoundService::MciOpenPlay(const std::string& file, const std::string& alias) {
    return MciOpenPlay(file, alias, nullptr);
}

bool SoundService::memorySounding() const {
    ui_.assertUiThread();
    return mixer_.memorySounding();
}

bool SoundService::aliasSounding(const std::string& alias) const {
    ui_.assertUiThread();
    const auto found = aliases_.find(aliasKey(alias));
    return found != aliases_.end() && mixer_.aliasSounding(found->second.voice);
}

bool SoundService::MciOpenPlay(const std::string& file, const std::string& alias,
                               const SoundImagePtr& content) {
    pump();
    if (!open(file, alias, content)) return false;
    const OpenAlias& opened = aliases_.at(aliasKey(alias.empty() ? file : alias));
    mixer_.playAlias(opened.voice, opened.sound);
    return true;
}

void SoundService::MciStopClose(const std::string& alias) {
    pump();
    close(alias);
}

bool SoundService::PlayNote(const std::string& alias, const SoundImagePtr& content, float gain) {
    if (!content) return false;
    const std::optional<PcmSound> sound = decodeWav(content);
    return sound && PlayNote(alias, *sound, gain);
}

bool SoundService::PlayNote(const std::string& alias, const PcmSound& sound, float gain) {
    pump();
    if (!sound.owner || !open(alias, alias, nullptr, &sound)) return false;
    const OpenAlias& opened = aliases_.at(aliasKey(alias));
    if (mixer_.playAlias(opened.voice, opened.sound, gain)) return true;
    close(alias);
    return false;
}

void SoundService::FadeNoteClose(const std::string& alias) {
    pump();
    close(alias);
}

void SoundService::announceBesideNote(const std::string& alias, double cents) {
    OpenAlias& opened = aliases_.at(aliasKey(alias));
    opened.announced = true;
    notes_.noteStarted(StartedNote{besideVoice(static_cast<int>(opened.voice)), cents});
}

bool SoundService::open(const std::string& file, const std::string& alias,
                        const SoundImagePtr& content, const PcmSound* decoded) {
    const std::string key = aliasKey(alias.empty() ? file : alias);
    if (key.empty() || file.empty() || aliases_.contains(key)) return false;
    std::optional<PcmSound> sound = decoded   ? std::optional<PcmSound>(*decoded)
                                    : content ? decodeWav(content)
                                              : loadFile(file);
    if (!sound) return false;
    // A closed voice is free at once: its sound dies away on a fading voice of the mixer.
    const auto free = std::find(voiceTaken_.begin(), voiceTaken_.end(), false);
    if (free == voiceTaken_.end()) return false;
    *free = true;
    aliases_.emplace(
        key, OpenAlias{static_cast<std::size_t>(free - voiceTaken_.begin()), std::move(*sound)});
    return true;
}

bool SoundService::close(const std::string& alias) {
    const auto found = aliases_.find(aliasKey(alias));
    if (found == aliases_.end()) return false;
    // A device that is closed dies away; the stop is queued before any later use of the voice.
    if (!mixer_.stopAlias(found->second.voice)) return false;
    voiceTaken_[found->second.voice] = false;
    const bool announced = found->second.announced;
    const int voice = besideVoice(static_cast<int>(found->second.voice));
    aliases_.erase(found);
    if (announced) notes_.noteEnded(voice);
    return true;
}

} // namespace zembera
