#include "sound/sound_service.h"

#include <algorithm>
#include <cctype>

#include "sound/file_bytes.h"
#include "sound/mci_command.h"
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
}

void SoundService::setWorkingFolder(std::filesystem::path folder) {
    ui_.assertUiThread();
    workingFolder_ = std::move(folder);
}

void SoundService::PlayImage(const SoundImagePtr& image, std::uint32_t /*flags*/) {
    pump();
    std::optional<PcmSound> sound = decodeWav(image);
    mixer_.playMemory(sound ? std::move(*sound) : PcmSound{});
}

void SoundService::PlayDecoded(PcmSound sound) {
    pump();
    mixer_.playMemory(std::move(sound));
}

void SoundService::PlayFile(const std::filesystem::path& file) {
    pump();
    std::optional<PcmSound> sound = loadFile(file);
    mixer_.playMemory(sound ? std::move(*sound) : PcmSound{});
}

void SoundService::StopAllSound() {
    pump();
    mixer_.stopMemory();
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
    if (open(file, alias, content) != kMciOk) return false;
    play(alias);
    return true;
}

void SoundService::MciStopClose(const std::string& alias) {
    pump();
    stop(alias);
    close(alias);
}

bool SoundService::PlayNote(const std::string& alias, const SoundImagePtr& content, float gain) {
    if (!content) return false;
    const std::optional<PcmSound> sound = decodeWav(content);
    return sound && PlayNote(alias, *sound, gain);
}

bool SoundService::PlayNote(const std::string& alias, const PcmSound& sound, float gain) {
    pump();
    if (!sound.owner || open(alias, alias, nullptr, &sound) != kMciOk) return false;
    const OpenAlias& opened = aliases_.at(aliasKey(alias));
    if (mixer_.playAlias(opened.voice, opened.sound, gain)) return true;
    close(alias);
    return false;
}

void SoundService::FadeNoteClose(const std::string& alias) {
    pump();
    close(alias);
}

int SoundService::mciSendString(std::string_view text) {
    pump();
    const MciCommand command = parseMciCommand(text);
    switch (command.verb) {
    case MciCommand::Verb::Open:
        return open(command.file, command.alias);
    case MciCommand::Verb::Play:
        return play(command.alias);
    case MciCommand::Verb::Stop:
        return stop(command.alias);
    case MciCommand::Verb::Close:
        return close(command.alias);
    case MciCommand::Verb::Invalid:
        break;
    }
    return kMciInvalidCommand;
}

std::optional<PcmSound> SoundService::loadFile(const std::filesystem::path& file) const {
    if (file.empty()) return std::nullopt;
    const std::filesystem::path path =
        file.is_relative() && !workingFolder_.empty() ? workingFolder_ / file : file;
    std::optional<SoundImage> bytes = readFileBytes(path);
    if (!bytes) return std::nullopt;
    return decodeWav(std::make_shared<const SoundImage>(std::move(*bytes)));
}

int SoundService::open(const std::string& file, const std::string& alias,
                       const SoundImagePtr& content, const PcmSound* decoded) {
    const std::string key = aliasKey(alias.empty() ? file : alias);
    if (key.empty() || file.empty()) return kMciUnreadableFile;
    if (aliases_.contains(key)) return kMciAliasInUse;
    std::optional<PcmSound> sound = decoded   ? std::optional<PcmSound>(*decoded)
                                    : content ? decodeWav(content)
                                              : loadFile(file);
    if (!sound) return kMciUnreadableFile;
    // A closed voice is free at once: its sound dies away on a fading voice of the mixer.
    const auto free = std::find(voiceTaken_.begin(), voiceTaken_.end(), false);
    if (free == voiceTaken_.end()) return kMciNoFreeVoice;
    *free = true;
    aliases_.emplace(
        key, OpenAlias{static_cast<std::size_t>(free - voiceTaken_.begin()), std::move(*sound)});
    return kMciOk;
}

int SoundService::play(const std::string& alias) {
    const auto found = aliases_.find(aliasKey(alias));
    if (found == aliases_.end()) return kMciUnknownAlias;
    return mixer_.playAlias(found->second.voice, found->second.sound) ? kMciOk : kMciBusy;
}

int SoundService::stop(const std::string& alias) {
    const auto found = aliases_.find(aliasKey(alias));
    if (found == aliases_.end()) return kMciUnknownAlias;
    return mixer_.stopAlias(found->second.voice) ? kMciOk : kMciBusy;
}

int SoundService::close(const std::string& alias) {
    const auto found = aliases_.find(aliasKey(alias));
    if (found == aliases_.end()) return kMciUnknownAlias;
    // A device that is closed dies away; the stop is queued before any later use of the voice.
    if (!mixer_.stopAlias(found->second.voice)) return kMciBusy;
    voiceTaken_[found->second.voice] = false;
    aliases_.erase(found);
    return kMciOk;
}

} // namespace zembera
