#pragma once
// A program loaded from a throw-away folder, and the instrument's sound output over a sound service
// (pulled on the test's thread) that keeps the images it was asked to play.

#include <stdexcept>

#include "loader/startup_loader.h"
#include "model/instrument_ports.h"
#include "sound/patched_sample.h"
#include "sound/service_rig.h"
#include "support/program_folder.h"

namespace zembera::test {

inline std::unique_ptr<LoadedProgram> loadFrom(const std::filesystem::path& dir,
                                               MessageService& messages) {
    auto result = loadProgram(dir, messages);
    if (result.fatal) throw std::runtime_error(*result.fatal);
    return std::move(result.program);
}

class ServiceOutput : public SoundOutput {
  public:
    explicit ServiceOutput(SoundService& sound) : sound_(sound) {}
    void PlayImage(const SoundImagePtr& image, std::uint32_t flags) override {
        images.push_back(image);
        sound_.PlayImage(image, flags);
    }
    bool MciOpenPlay(const std::string& file, const std::string& alias) override {
        return sound_.MciOpenPlay(file, alias);
    }
    bool MciOpenPlayImage(const std::string& file, const std::string& alias,
                          const SoundImagePtr& content) override {
        return sound_.MciOpenPlay(file, alias, content);
    }
    void MciStopClose(const std::string& alias) override { sound_.MciStopClose(alias); }
    void PlayPatchedSample(const PatchedSampleSource& source, int s, int m) override {
        zembera::PlayPatchedSample(sound_, source, s, m);
    }
    void StopAllSound() override { sound_.StopAllSound(); }

    std::vector<SoundImagePtr> images;

  private:
    SoundService& sound_;
};

} // namespace zembera::test
