#include "shell/sound_output_adapter.h"

namespace zembera {

void SoundOutputAdapter::PlayImage(const SoundImagePtr& image, std::uint32_t flags) {
    service_.PlayImage(image, flags);
}

bool SoundOutputAdapter::MciOpenPlay(const std::string& file, const std::string& alias) {
    return service_.MciOpenPlay(file, alias);
}

bool SoundOutputAdapter::MciOpenPlayImage(const std::string& file, const std::string& alias,
                                          const SoundImagePtr& content) {
    return service_.MciOpenPlay(file, alias, content);
}

void SoundOutputAdapter::MciStopClose(const std::string& alias) {
    service_.MciStopClose(alias);
}

void SoundOutputAdapter::PlayPatchedSample(const PatchedSampleSource& source, int s, int m) {
    zembera::PlayPatchedSample(service_, source, s, m);
}

void SoundOutputAdapter::StopAllSound() {
    service_.StopAllSound();
}

} // namespace zembera
