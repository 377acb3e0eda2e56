#pragma once
// The instrument's sound output over the program's sound service.

#include "model/instrument_ports.h"
#include "sound/sound_service.h"

namespace zembera {

class SoundOutputAdapter : public SoundOutput {
  public:
    explicit SoundOutputAdapter(SoundService& service) : service_(service) {}
    void PlayImage(const SoundImagePtr& image, std::uint32_t flags) override;
    bool MciOpenPlay(const std::string& file, const std::string& alias) override;
    bool MciOpenPlayImage(const std::string& file, const std::string& alias,
                          const SoundImagePtr& content) override;
    void MciStopClose(const std::string& alias) override;
    void PlayPatchedSample(const PatchedSampleSource& source, int s, int m) override;
    void StopAllSound() override;
    PreparedNote PreparePatchedSample(const PatchedSampleSource& source, int s, int m) override;
    void PlayPrepared(const PatchedSampleSource& source, const PreparedNote& note) override;
    void PlayPreparedBeside(const PatchedSampleSource& source, const PreparedNote& note,
                            const std::string& alias) override;

  private:
    SoundService& service_;
};

} // namespace zembera
