#include "audio_device/sdl_device.h"

#include <SDL.h>

#include <algorithm>
#include <cstdio>

namespace zembera {
namespace {

constexpr int kWantedRate = 44100;
constexpr int kBufferFrames = 256;  // 5.8 ms at 44100 Hz
constexpr std::size_t kChunk = 256; // frames rendered per pass of the callback

} // namespace

SdlDevice::SdlDevice(engine::Engine& engine) : engine_(engine), paced_(engine) {
    // SDL must not take over SIGINT/SIGTERM from the application.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) == 0) {
        init_ = Init::Subsystem;
        if (openDevice()) return;
    }
    fallBack("ses aygıtı açılamadı");
}

SdlDevice::~SdlDevice() {
    shutDown();
}

bool SdlDevice::openDevice() {
    // A device that gives neither 16-bit nor float frames gets 16-bit ones, converted by SDL.
    return openDevice(true) || openDevice(false);
}

bool SdlDevice::openDevice(bool anyFormat) {
    SDL_AudioSpec want{};
    want.freq = kWantedRate;
    want.format = AUDIO_S16SYS;
    want.channels = 1;
    want.samples = kBufferFrames;
    want.callback = &SdlDevice::callback;
    want.userdata = this;
    SDL_AudioSpec have{};
    const int changes = SDL_AUDIO_ALLOW_CHANNELS_CHANGE | SDL_AUDIO_ALLOW_FREQUENCY_CHANGE |
                        (anyFormat ? SDL_AUDIO_ALLOW_FORMAT_CHANGE : 0);
    device_ = SDL_OpenAudioDevice(nullptr, 0, &want, &have, changes);
    if (device_ == 0) return false;
    if (have.format != AUDIO_S16SYS && have.format != AUDIO_F32SYS) {
        SDL_CloseAudioDevice(device_);
        device_ = 0;
        return false;
    }
    channels_ = have.channels > 0 ? have.channels : 1;
    floats_ = have.format == AUDIO_F32SYS;
    // No render runs yet: the engine takes the device's rate before the first callback.
    engine_.setSampleRate(have.freq > 0 ? have.freq : kWantedRate);
    engine_.setMaxBlock(have.samples > 0 ? have.samples : kBufferFrames);
    SDL_PauseAudioDevice(device_, 0); // takes the device lock: the callback sees the fields above
    return true;
}

void SdlDevice::fallBack(const std::string& reason) {
    shutDown();
    // SDL's own reason is English: the driver asked for tells the user where to look.
    const char* driver = SDL_getenv("SDL_AUDIODRIVER");
    std::fprintf(stderr, "zembera: %s (sürücü: %s); ses olmadan çalışıyor\n", reason.c_str(),
                 driver && *driver ? driver : "varsayılan");
    // The driver named here wins over SDL_AUDIODRIVER, which may be what failed.
    if (SDL_AudioInit("dummy") == 0) {
        init_ = Init::DummyDriver;
        if (openDevice()) return;
        SDL_AudioQuit();
        init_ = Init::None;
    }
    paced_.restart();
}

void SdlDevice::shutDown() {
    if (device_ != 0) SDL_CloseAudioDevice(device_);
    device_ = 0;
    if (init_ == Init::Subsystem) SDL_QuitSubSystem(SDL_INIT_AUDIO);
    if (init_ == Init::DummyDriver) SDL_AudioQuit();
    init_ = Init::None;
}

void SdlDevice::poll() {
    // SDL marks a device that went away as stopped (its thread may go on calling back, but
    // nothing is heard). Closing it joins that thread, so a new device, or this thread when none
    // opens, is then the only one rendering.
    if (device_ != 0 && SDL_GetAudioDeviceStatus(device_) == SDL_AUDIO_STOPPED) {
        SDL_CloseAudioDevice(device_);
        device_ = 0;
        if (!openDevice()) fallBack("ses aygıtı kayboldu");
    }
    // No device at all: time goes on silently, so that notes still end and are released.
    if (device_ == 0) paced_.poll();
}

std::string SdlDevice::driverName() const {
    const char* name = device_ != 0 ? SDL_GetCurrentAudioDriver() : nullptr;
    return name ? name : "";
}

void SdlDevice::callback(void* self, std::uint8_t* stream, int bytes) noexcept {
    auto* device = static_cast<SdlDevice*>(self);
    const auto width = static_cast<std::size_t>(device->channels_);
    const std::size_t sampleBytes = device->floats_ ? sizeof(float) : sizeof(std::int16_t);
    std::size_t frames = static_cast<std::size_t>(bytes) / (sampleBytes * width);
    // SDL's buffer is allocated for the device format and suitably aligned.
    auto* asFloat = reinterpret_cast<float*>(stream);
    auto* asPcm = reinterpret_cast<std::int16_t*>(stream);
    float left[kChunk];
    float right[kChunk];
    while (frames > 0) {
        const std::size_t n = std::min(frames, kChunk);
        device->engine_.render(left, right, n);
        for (std::size_t i = 0; i < n; ++i) {
            for (std::size_t c = 0; c < width; ++c) {
                const float v = c == 1 ? right[i] : left[i];
                if (device->floats_)
                    *asFloat++ = v;
                else
                    *asPcm++ = engine::toPcm16(v);
            }
        }
        frames -= n;
    }
}

} // namespace zembera
