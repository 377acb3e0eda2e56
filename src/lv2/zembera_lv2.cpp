// The LV2 face of the kanun: MIDI in through an atom port, stereo out, and control ports for
// "Teller tınlasın", each string's mandal position and fine tuning, the pitch level, the degree
// shift and the pitch system (ports.h). Everything is read and converted
// in instantiate; run() only reads its ports and plays, splitting the block at each event's frame.

#include <lv2/atom/atom.h>
#include <lv2/atom/util.h>
#include <lv2/core/lv2.h>
#include <lv2/midi/midi.h>
#include <lv2/urid/urid.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <exception>
#include <memory>
#include <new>

#include "lv2/kanun_synth.h"
#include "lv2/ports.h"

namespace {

using zembera::kStringCount;
using zembera::lv2::KanunSynth;
namespace port = zembera::lv2::port;

struct Instance {
    std::unique_ptr<KanunSynth> synth;
    LV2_URID midiEvent = 0;
    const LV2_Atom_Sequence* midiIn = nullptr;
    float* out[2] = {nullptr, nullptr};
    const float* stringsRing = nullptr;
    const float* positions[kStringCount + 1] = {};
    const float* fineTuning[kStringCount + 1] = {};
    const float* pitchSystem = nullptr;
    const float* ahenk = nullptr;
    const float* degreeShift = nullptr;
};

LV2_Handle instantiate(const LV2_Descriptor*, double rate, const char* bundlePath,
                       const LV2_Feature* const* features) {
    const LV2_URID_Map* map = nullptr;
    for (int i = 0; features != nullptr && features[i] != nullptr; ++i)
        if (std::strcmp(features[i]->URI, LV2_URID__map) == 0)
            map = static_cast<const LV2_URID_Map*>(features[i]->data);
    if (map == nullptr) return nullptr;
    try {
        const zembera::lv2::BundledKanun kanun = zembera::lv2::readBundle(bundlePath);
        if (!kanun.problem.empty()) return nullptr;
        auto instance = std::make_unique<Instance>();
        instance->synth = std::make_unique<KanunSynth>(kanun, rate);
        instance->midiEvent = map->map(map->handle, LV2_MIDI__MidiEvent);
        return instance.release();
    } catch (const std::exception&) {
        return nullptr;
    }
}

void connectPort(LV2_Handle handle, uint32_t index, void* data) {
    auto* self = static_cast<Instance*>(handle);
    if (index == port::midiIn) {
        self->midiIn = static_cast<const LV2_Atom_Sequence*>(data);
    } else if (index == port::outLeft || index == port::outRight) {
        self->out[index - port::outLeft] = static_cast<float*>(data);
    } else if (index == port::stringsRing) {
        self->stringsRing = static_cast<const float*>(data);
    } else if (index == port::pitchSystem) {
        self->pitchSystem = static_cast<const float*>(data);
    } else if (index >= port::firstFineTuning && index < port::firstFineTuning + kStringCount) {
        self->fineTuning[index - port::firstFineTuning + 1] = static_cast<const float*>(data);
    } else if (index == port::ahenk) {
        self->ahenk = static_cast<const float*>(data);
    } else if (index == port::degreeShift) {
        self->degreeShift = static_cast<const float*>(data);
    } else if (index >= port::firstMandal && index < port::firstMandal + kStringCount) {
        self->positions[index - port::firstMandal + 1] = static_cast<const float*>(data);
    }
}

void activate(LV2_Handle) {}

// A host may ramp an integer control between two values: the nearest whole number counts.
int whole(const float* value, int otherwise) {
    if (value == nullptr || !std::isfinite(*value) || std::fabs(*value) > 1000) return otherwise;
    return static_cast<int>(std::lround(*value));
}

void readControls(Instance& self) {
    if (self.stringsRing != nullptr) self.synth->setStringsRing(*self.stringsRing > 0.5F);
    KanunSynth::Controls controls;
    for (int s = 1; s <= kStringCount; ++s)
        controls.positions[static_cast<std::size_t>(s)] =
            static_cast<std::int16_t>(whole(self.positions[s], 0));
    for (int s = 1; s <= kStringCount; ++s)
        if (const float* cents = self.fineTuning[s]; cents != nullptr && std::isfinite(*cents))
            controls.fineTuning[static_cast<std::size_t>(s)] =
                std::clamp(*cents, -1200.0F, 1200.0F);
    controls.system = whole(self.pitchSystem, 0);
    controls.ahenk = whole(self.ahenk, zembera::kReferenceLevel);
    controls.shift = whole(self.degreeShift, 0);
    self.synth->setControls(controls);
}

void run(LV2_Handle handle, uint32_t frames) {
    auto& self = *static_cast<Instance*>(handle);
    readControls(self);
    uint32_t done = 0;
    const auto renderTo = [&](uint32_t until) {
        if (until <= done) return;
        self.synth->render(self.out[0] + done, self.out[1] + done, until - done);
        done = until;
    };
    if (self.midiIn != nullptr) {
        LV2_ATOM_SEQUENCE_FOREACH(self.midiIn, event) {
            if (event->body.type != self.midiEvent) continue;
            const auto at = static_cast<uint32_t>(
                std::min<int64_t>(std::max<int64_t>(event->time.frames, 0), frames));
            renderTo(at);
            self.synth->midi(reinterpret_cast<const uint8_t*>(event + 1), event->body.size);
        }
    }
    renderTo(frames);
}

void deactivate(LV2_Handle) {}

void cleanup(LV2_Handle handle) {
    delete static_cast<Instance*>(handle);
}

const void* extensionData(const char*) {
    return nullptr;
}

const LV2_Descriptor kDescriptor = {zembera::lv2::kPluginUri,
                                    instantiate,
                                    connectPort,
                                    activate,
                                    run,
                                    deactivate,
                                    cleanup,
                                    extensionData};

} // namespace

extern "C" LV2_SYMBOL_EXPORT const LV2_Descriptor* lv2_descriptor(uint32_t index) {
    return index == 0 ? &kDescriptor : nullptr;
}
