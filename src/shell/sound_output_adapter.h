#pragma once
// A plain forwarder to the sound service, which is a SoundOutput itself: the program passes the
// service directly. Left for the window's tests that still build one; nothing else uses it.

#include "model/instrument_ports.h"
#include "sound/sound_service.h"

namespace zembera {

class SoundOutputAdapter : public SoundOutput {
  public:
    explicit SoundOutputAdapter(SoundService& service) : service_(service) {}
    void PlayImage(const SoundImagePtr& image, std::uint32_t flags) override {
        service_.PlayImage(image, flags);
    }
    bool MciOpenPlay(const std::string& file, const std::string& alias) override {
        return service_.MciOpenPlay(file, alias);
    }
    bool MciOpenPlayImage(const std::string& file, const std::string& alias,
                          const SoundImagePtr& content) override {
        return service_.MciOpenPlayImage(file, alias, content);
    }
    void MciStopClose(const std::string& alias) override { service_.MciStopClose(alias); }
    void PlayPatchedSample(const PatchedSampleSource& source, int s, int m) override {
        service_.PlayPatchedSample(source, s, m);
    }
    void StopAllSound() override { service_.StopAllSound(); }
    PreparedNote PreparePatchedSample(const PatchedSampleSource& source, int s, int m) override {
        return service_.PreparePatchedSample(source, s, m);
    }
    void PlayPrepared(const PatchedSampleSource& source, const PreparedNote& note) override {
        service_.PlayPrepared(source, note);
    }
    void PlayPreparedBeside(const PatchedSampleSource& source, const PreparedNote& note,
                            const std::string& alias) override {
        service_.PlayPreparedBeside(source, note, alias);
    }

  private:
    SoundService& service_;
};

} // namespace zembera
