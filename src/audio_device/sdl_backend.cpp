#include "audio_device/sdl_backend.h"

#include <SDL.h>

#include <cstdio>

#include "engine/sound_limits.h"

namespace zembera {

SdlBackend::~SdlBackend() {
    shutDown();
}

void SdlBackend::attach(Mixer& mixer) {
    ui_.assertUiThread();
    mixer_ = &mixer;
    // SDL must not take over SIGINT/SIGTERM from the application.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) == 0) {
        init_ = Init::Subsystem;
        if (openDevice()) return;
    }
    fallBack(SDL_GetError());
}

bool SdlBackend::openDevice() {
    SDL_AudioSpec want{};
    want.freq = static_cast<int>(kOutputRate);
    want.format = AUDIO_S16SYS;
    want.channels = 1;
    want.samples = static_cast<Uint16>(kDeviceBufferFrames);
    want.callback = &SdlBackend::callback;
    want.userdata = this;
    SDL_AudioSpec have{};
    device_ = SDL_OpenAudioDevice(nullptr, 0, &want, &have, SDL_AUDIO_ALLOW_CHANNELS_CHANGE);
    if (device_ == 0) return false;
    channels_ = have.channels > 0 ? have.channels : 1;
    SDL_PauseAudioDevice(device_, 0); // takes the device lock: the callback sees channels_
    return true;
}

void SdlBackend::fallBack(const std::string& reason) {
    shutDown();
    std::fprintf(stderr, "zembera: no audio device (%s); running without sound\n",
                 reason.empty() ? "unknown error" : reason.c_str());
    // The driver named here wins over SDL_AUDIODRIVER, which may be what failed.
    if (SDL_AudioInit("dummy") == 0) {
        init_ = Init::DummyDriver;
        if (openDevice()) return;
        SDL_AudioQuit();
        init_ = Init::None;
    }
}

void SdlBackend::shutDown() {
    if (device_ != 0) SDL_CloseAudioDevice(device_);
    device_ = 0;
    if (init_ == Init::Subsystem) SDL_QuitSubSystem(SDL_INIT_AUDIO);
    if (init_ == Init::DummyDriver) SDL_AudioQuit();
    init_ = Init::None;
}

void SdlBackend::poll() {
    ui_.assertUiThread();
    if (!mixer_) return;
    // SDL marks a device that went away as stopped (its thread may go on calling back, but
    // nothing is heard). Closing it joins that thread, so a new device, or this thread when none
    // opens, is then the only one rendering.
    if (device_ != 0 && SDL_GetAudioDeviceStatus(device_) == SDL_AUDIO_STOPPED) {
        SDL_CloseAudioDevice(device_);
        device_ = 0;
        if (!openDevice()) fallBack("the audio device went away");
    }
    if (device_ == 0) {
        // No device at all: play the queue out silently so that sounds are still released.
        std::int16_t scratch[kDeviceBufferFrames];
        mixer_->render(scratch, kDeviceBufferFrames, 1);
    }
}

std::string SdlBackend::driverName() const {
    const char* name = device_ != 0 ? SDL_GetCurrentAudioDriver() : nullptr;
    return name ? name : "";
}

void SdlBackend::callback(void* self, std::uint8_t* stream, int bytes) noexcept {
    auto* backend = static_cast<SdlBackend*>(self);
    const int frameBytes = 2 * backend->channels_;
    // SDL's buffer is allocated for the device format, S16 here, and suitably aligned.
    backend->mixer_->render(reinterpret_cast<std::int16_t*>(stream),
                            static_cast<std::size_t>(bytes / frameBytes), backend->channels_);
}

} // namespace zembera
