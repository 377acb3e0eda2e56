// The LV2 face of the kanun: MIDI in through an atom port, stereo out, and control ports for
// "Teller tınlasın", each string's mandal position and fine tuning, the pitch level, the degree
// shift and the pitch system (ports.h). Two path parameters, a Scala file (.scl, with the .kbm of
// its name) and a makam file (.mkm), are set by patch:Set messages on the MIDI port, read by the
// host's worker and saved with the host's state; the files in use are told back on the notify
// port (after a load or a restore, and when the host asks with patch:Get), so that the host's file
// fields show them. Everything else is read and converted in instantiate; run() only reads its
// ports and plays, splitting the block at each event's frame.

#include <lv2/atom/atom.h>
#include <lv2/atom/forge.h>
#include <lv2/atom/util.h>
#include <lv2/core/lv2.h>
#include <lv2/midi/midi.h>
#include <lv2/patch/patch.h>
#include <lv2/state/state.h>
#include <lv2/urid/urid.h>
#include <lv2/worker/worker.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <memory>
#include <mutex>
#include <string>

#include "lv2/kanun_synth.h"
#include "lv2/ports.h"

namespace {

using zembera::kStringCount;
using zembera::lv2::KanunSynth;
namespace port = zembera::lv2::port;

enum class Kind : uint32_t { scala, makam, free };
constexpr std::size_t kPathLimit = 4096;

// What run() asks the worker to do: read a file, or free a system put out of use. Only the
// header and the path's bytes up to its end are sent.
struct Request {
    Kind kind;
    KanunSynth::Prepared* garbage;
    char path[kPathLimit]; // ended by a zero byte
};
constexpr std::size_t kRequestHeader = offsetof(Request, path);
// What the worker hands back to the audio thread.
struct Response {
    Kind kind;
    KanunSynth::Prepared* scale;
    bool hasMakam;
    zembera::PerString<std::int16_t> makam;
};

struct Paths {
    std::string scala, makam; // as the host gave them; empty when none
};

// The audio thread's copy of a path, to be told to the host without allocating.
struct HeldPath {
    std::array<char, kPathLimit> text{};
    uint32_t length = 0; // 0: no file
    bool toTell = false;
};

struct Instance {
    std::unique_ptr<KanunSynth> synth;
    std::shared_ptr<const zembera::systems::DegreeNamer> names;
    const LV2_URID_Map* map = nullptr;
    const LV2_Worker_Schedule* worker = nullptr;
    LV2_URID midiEvent = 0, atomPath = 0, atomObject = 0, atomUrid = 0, patchSet = 0, patchGet = 0,
             patchProperty = 0, patchValue = 0;
    LV2_URID scala = 0, makam = 0;
    const LV2_Atom_Sequence* midiIn = nullptr;
    LV2_Atom_Sequence* notify = nullptr;
    LV2_Atom_Forge forge{};
    float* out[2] = {nullptr, nullptr};
    const float* stringsRing = nullptr;
    const float* positions[kStringCount + 1] = {};
    const float* fineTuning[kStringCount + 1] = {};
    const float* pitchSystem = nullptr;
    const float* ahenk = nullptr;
    const float* degreeShift = nullptr;
    // The files read last, for the state: written by the worker and restore, read by save, never
    // touched by run().
    std::mutex pathsLock;
    Paths paths;
    std::atomic<bool> pathsChanged{false}; // set under pathsLock
    // What run() tells the host: [0] the Scala file, [1] the makam file.
    HeldPath told[2];
};

template <typename T> const T* featureData(const LV2_Feature* const* features, const char* uri) {
    for (int i = 0; features != nullptr && features[i] != nullptr; ++i)
        if (std::strcmp(features[i]->URI, uri) == 0)
            return static_cast<const T*>(features[i]->data);
    return nullptr;
}

LV2_Handle instantiate(const LV2_Descriptor*, double rate, const char* bundlePath,
                       const LV2_Feature* const* features) {
    const auto* map = featureData<LV2_URID_Map>(features, LV2_URID__map);
    if (map == nullptr) return nullptr;
    try {
        const zembera::lv2::BundledKanun kanun = zembera::lv2::readBundle(bundlePath);
        if (!kanun.problem.empty()) return nullptr;
        auto self = std::make_unique<Instance>();
        self->synth = std::make_unique<KanunSynth>(kanun, rate);
        self->names = kanun.names;
        self->map = map;
        self->worker = featureData<LV2_Worker_Schedule>(features, LV2_WORKER__schedule);
        const auto id = [&](const char* uri) { return map->map(map->handle, uri); };
        self->midiEvent = id(LV2_MIDI__MidiEvent);
        self->atomPath = id(LV2_ATOM__Path);
        self->atomObject = id(LV2_ATOM__Object);
        self->atomUrid = id(LV2_ATOM__URID);
        self->patchSet = id(LV2_PATCH__Set);
        self->patchGet = id(LV2_PATCH__Get);
        self->patchProperty = id(LV2_PATCH__property);
        self->patchValue = id(LV2_PATCH__value);
        self->scala = id(zembera::lv2::kScalaParameter);
        self->makam = id(zembera::lv2::kMakamParameter);
        // The forge only calls map(); its parameter is not const in the SDK.
        lv2_atom_forge_init(&self->forge, const_cast<LV2_URID_Map*>(map));
        return self.release();
    } catch (const std::exception&) {
        return nullptr;
    }
}

void connectPort(LV2_Handle handle, uint32_t index, void* data) {
    auto* self = static_cast<Instance*>(handle);
    const auto* control = static_cast<const float*>(data);
    if (index == port::midiIn) {
        self->midiIn = static_cast<const LV2_Atom_Sequence*>(data);
    } else if (index == port::notify) {
        self->notify = static_cast<LV2_Atom_Sequence*>(data);
    } else if (index == port::outLeft || index == port::outRight) {
        self->out[index - port::outLeft] = static_cast<float*>(data);
    } else if (index == port::stringsRing) {
        self->stringsRing = control;
    } else if (index == port::pitchSystem) {
        self->pitchSystem = control;
    } else if (index == port::ahenk) {
        self->ahenk = control;
    } else if (index == port::degreeShift) {
        self->degreeShift = control;
    } else if (index >= port::firstMandal && index < port::firstMandal + kStringCount) {
        self->positions[index - port::firstMandal + 1] = control;
    } else if (index >= port::firstFineTuning && index < port::firstFineTuning + kStringCount) {
        self->fineTuning[index - port::firstFineTuning + 1] = control;
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
    for (int s = 1; s <= kStringCount; ++s) {
        const auto i = static_cast<std::size_t>(s);
        controls.positions[i] = static_cast<std::int16_t>(whole(self.positions[s], 0));
        if (const float* cents = self.fineTuning[s]; cents != nullptr && std::isfinite(*cents))
            controls.fineTuning[i] = std::clamp(*cents, -1200.0F, 1200.0F);
    }
    controls.system = whole(self.pitchSystem, 0);
    controls.ahenk = whole(self.ahenk, zembera::kReferenceLevel);
    controls.shift = whole(self.degreeShift, 0);
    self.synth->setControls(controls);
}

// The patch:property and patch:value of a message, each only when it lies whole within the
// object: the SDK's walk trusts every size it meets.
struct PatchFields {
    const LV2_Atom* property = nullptr;
    const LV2_Atom* value = nullptr;
};
PatchFields patchFields(const Instance& self, const LV2_Atom_Object* object) {
    PatchFields fields;
    if (object->atom.size < sizeof(LV2_Atom_Object_Body)) return fields;
    const auto* at = reinterpret_cast<const uint8_t*>(&object->body);
    const uint8_t* const end = at + object->atom.size;
    at += sizeof(LV2_Atom_Object_Body);
    constexpr std::size_t kHeader = sizeof(LV2_Atom_Property_Body);
    while (static_cast<std::size_t>(end - at) >= kHeader) {
        const auto* property = reinterpret_cast<const LV2_Atom_Property_Body*>(at);
        if (property->value.size > static_cast<std::size_t>(end - at) - kHeader) break;
        if (property->key == self.patchProperty) fields.property = &property->value;
        if (property->key == self.patchValue) fields.value = &property->value;
        const std::size_t step = lv2_atom_pad_size(kHeader + property->value.size);
        if (step > static_cast<std::size_t>(end - at)) break;
        at += step;
    }
    return fields;
}

// A patch:Get asks for one path parameter, or for all without a property.
void handleGet(Instance& self, const LV2_Atom* property) {
    if (property == nullptr) {
        for (HeldPath& held : self.told)
            held.toTell = held.length > 0;
    } else if (property->type == self.atomUrid && property->size >= sizeof(LV2_URID)) {
        const LV2_URID which = reinterpret_cast<const LV2_Atom_URID*>(property)->body;
        if (which == self.scala || which == self.makam) {
            HeldPath& held = self.told[which == self.scala ? 0 : 1];
            held.toTell = held.length > 0;
        }
    }
}

// A patch:Set of one of the path parameters goes to the worker.
void handlePatch(Instance& self, const LV2_Atom_Object* object) {
    if (object->atom.size < sizeof(LV2_Atom_Object_Body)) return;
    const auto [property, value] = patchFields(self, object);
    if (object->body.otype == self.patchGet) {
        handleGet(self, property);
        return;
    }
    if (object->body.otype != self.patchSet || self.worker == nullptr) return;
    if (property == nullptr || property->type != self.atomUrid ||
        property->size < sizeof(LV2_URID) || value == nullptr || value->type != self.atomPath ||
        value->size == 0 || value->size >= kPathLimit)
        return;
    const LV2_URID which = reinterpret_cast<const LV2_Atom_URID*>(property)->body;
    if (which != self.scala && which != self.makam) return;
    Request request{which == self.scala ? Kind::scala : Kind::makam, nullptr, {}};
    std::memcpy(request.path, LV2_ATOM_BODY_CONST(value), value->size);
    request.path[value->size] = '\0';
    const std::size_t length = strnlen(request.path, value->size);
    self.worker->schedule_work(self.worker->handle,
                               static_cast<uint32_t>(kRequestHeader + length + 1), &request);
}

// Takes the paths the worker or restore left, when the lock is free at once (never waits: the
// next block tries again).
void takeChangedPaths(Instance& self) {
    if (!self.pathsChanged.load(std::memory_order_acquire)) return;
    std::unique_lock lock(self.pathsLock, std::try_to_lock);
    if (!lock.owns_lock()) return;
    const std::string* given[2] = {&self.paths.scala, &self.paths.makam};
    for (int i = 0; i < 2; ++i) {
        HeldPath& held = self.told[i];
        const std::string& path = *given[i];
        const bool fits = path.size() < kPathLimit; // longer: not told (never read from a Set)
        const auto length = fits ? static_cast<uint32_t>(path.size()) : 0U;
        if (length == held.length && path.compare(0, length, held.text.data(), length) == 0)
            continue;
        std::memcpy(held.text.data(), path.data(), length);
        held.length = length;
        held.toTell = length > 0;
    }
    self.pathsChanged.store(false, std::memory_order_relaxed);
}

// Writes a patch:Set for each path to be told, as far as the host's buffer holds them; the others
// wait for the next block.
void tellPaths(Instance& self) {
    if (self.notify == nullptr) return;
    LV2_Atom_Forge& forge = self.forge;
    // The host gives the buffer's room as the atom's size; counted whole, as hosts differ on
    // whether the header is part of it.
    lv2_atom_forge_set_buffer(&forge, reinterpret_cast<uint8_t*>(self.notify),
                              self.notify->atom.size);
    LV2_Atom_Forge_Frame sequence;
    if (lv2_atom_forge_sequence_head(&forge, &sequence, 0) == 0) return;
    const LV2_URID keys[2] = {self.scala, self.makam};
    for (int i = 0; i < 2; ++i) {
        HeldPath& held = self.told[i];
        // The event, the object, two keys with a URID and the padded path.
        const std::size_t needed = sizeof(LV2_Atom_Event) + sizeof(LV2_Atom_Object) +
                                   2 * sizeof(LV2_Atom_Property_Body) + sizeof(LV2_Atom_URID) +
                                   lv2_atom_pad_size(sizeof(LV2_Atom) + held.length + 1);
        if (!held.toTell || forge.offset + needed > forge.size) continue;
        LV2_Atom_Forge_Frame object;
        lv2_atom_forge_frame_time(&forge, 0);
        lv2_atom_forge_object(&forge, &object, 0, self.patchSet);
        lv2_atom_forge_key(&forge, self.patchProperty);
        lv2_atom_forge_urid(&forge, keys[i]);
        lv2_atom_forge_key(&forge, self.patchValue);
        lv2_atom_forge_path(&forge, held.text.data(), held.length);
        lv2_atom_forge_pop(&forge, &object);
        held.toTell = false;
    }
    lv2_atom_forge_pop(&forge, &sequence);
}

void run(LV2_Handle handle, uint32_t frames) {
    auto& self = *static_cast<Instance*>(handle);
    readControls(self);
    takeChangedPaths(self);
    uint32_t done = 0;
    const auto renderTo = [&](uint32_t until) {
        if (until <= done) return;
        self.synth->render(self.out[0] + done, self.out[1] + done, until - done);
        done = until;
    };
    if (self.midiIn != nullptr) {
        LV2_ATOM_SEQUENCE_FOREACH(self.midiIn, event) {
            if (event->body.type == self.midiEvent) {
                const auto at = static_cast<uint32_t>(
                    std::min<int64_t>(std::max<int64_t>(event->time.frames, 0), frames));
                renderTo(at);
                self.synth->midi(reinterpret_cast<const uint8_t*>(event + 1), event->body.size);
            } else if (event->body.type == self.atomObject) {
                handlePatch(self, reinterpret_cast<const LV2_Atom_Object*>(&event->body));
            }
        }
    }
    renderTo(frames);
    tellPaths(self);
}

void deactivate(LV2_Handle) {}

void cleanup(LV2_Handle handle) {
    delete static_cast<Instance*>(handle);
}

// Reads a file for the synth (worker thread, or restore): a Scala system made ready, or a
// makam's positions; the path is remembered for the state once it could be read.
Response load(Instance& self, Kind kind, const std::string& path) {
    Response response{kind, nullptr, false, {}};
    if (kind == Kind::scala) {
        if (const auto system = zembera::lv2::readScala(path, *self.names)) {
            response.scale = KanunSynth::prepare(*system).release();
            const std::lock_guard lock(self.pathsLock);
            self.paths.scala = path;
            self.pathsChanged.store(true, std::memory_order_release);
        }
    } else if (const auto positions = zembera::lv2::readMakam(path)) {
        response.hasMakam = true;
        response.makam = *positions;
        const std::lock_guard lock(self.pathsLock);
        self.paths.makam = path;
        self.pathsChanged.store(true, std::memory_order_release);
    }
    return response;
}

LV2_Worker_Status work(LV2_Handle handle, LV2_Worker_Respond_Function respond,
                       LV2_Worker_Respond_Handle respondHandle, uint32_t size, const void* data) {
    auto& self = *static_cast<Instance*>(handle);
    if (size <= kRequestHeader || size > sizeof(Request)) return LV2_WORKER_ERR_UNKNOWN;
    Request request;
    std::memcpy(&request, data, size);
    if (request.kind == Kind::free) {
        delete request.garbage;
        return LV2_WORKER_SUCCESS;
    }
    const std::size_t length = size - kRequestHeader;
    if (request.path[length - 1] != '\0') return LV2_WORKER_ERR_UNKNOWN;
    try {
        const Response response = load(self, request.kind, request.path);
        if (request.kind == Kind::scala && response.scale == nullptr) return LV2_WORKER_SUCCESS;
        if (request.kind == Kind::makam && !response.hasMakam) return LV2_WORKER_SUCCESS;
        if (respond(respondHandle, sizeof response, &response) != LV2_WORKER_SUCCESS)
            delete response.scale;
    } catch (const std::exception&) {
        return LV2_WORKER_ERR_UNKNOWN;
    }
    return LV2_WORKER_SUCCESS;
}

// Audio thread: puts what the worker read into the synth; a system put out of use goes back to
// the worker to be freed.
LV2_Worker_Status workResponse(LV2_Handle handle, uint32_t size, const void* data) {
    auto& self = *static_cast<Instance*>(handle);
    if (size != sizeof(Response)) return LV2_WORKER_ERR_UNKNOWN;
    const auto& response = *static_cast<const Response*>(data);
    if (response.kind == Kind::scala) {
        Request request{Kind::free, self.synth->swapScale(response.scale), {}};
        if (request.garbage != nullptr)
            self.worker->schedule_work(self.worker->handle,
                                       static_cast<uint32_t>(kRequestHeader + 1), &request);
    } else {
        self.synth->setMakam(response.makam);
    }
    return LV2_WORKER_SUCCESS;
}

LV2_State_Status save(LV2_Handle handle, LV2_State_Store_Function store,
                      LV2_State_Handle stateHandle, uint32_t, const LV2_Feature* const* features) {
    auto& self = *static_cast<Instance*>(handle);
    const auto* mapPath = featureData<LV2_State_Map_Path>(features, LV2_STATE__mapPath);
    const auto* freePath = featureData<LV2_State_Free_Path>(features, LV2_STATE__freePath);
    Paths paths;
    {
        const std::lock_guard lock(self.pathsLock);
        paths = self.paths;
    }
    for (const auto& [key, path] :
         {std::pair{self.scala, &paths.scala}, std::pair{self.makam, &paths.makam}}) {
        if (path->empty()) continue;
        char* abstract = mapPath != nullptr ? mapPath->abstract_path(mapPath->handle, path->c_str())
                                            : strdup(path->c_str());
        if (abstract == nullptr) continue;
        store(stateHandle, key, abstract, std::strlen(abstract) + 1, self.atomPath,
              LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE);
        if (freePath != nullptr)
            freePath->free_path(freePath->handle, abstract);
        else
            std::free(abstract);
    }
    return LV2_STATE_SUCCESS;
}

// Called while run() is not (the instantiation class): the files are read and put in at once.
LV2_State_Status restore(LV2_Handle handle, LV2_State_Retrieve_Function retrieve,
                         LV2_State_Handle stateHandle, uint32_t,
                         const LV2_Feature* const* features) {
    auto& self = *static_cast<Instance*>(handle);
    const auto* mapPath = featureData<LV2_State_Map_Path>(features, LV2_STATE__mapPath);
    const auto* freePath = featureData<LV2_State_Free_Path>(features, LV2_STATE__freePath);
    for (const auto& [key, kind] :
         {std::pair{self.scala, Kind::scala}, std::pair{self.makam, Kind::makam}}) {
        std::size_t size = 0;
        uint32_t type = 0, flags = 0;
        const auto* value =
            static_cast<const char*>(retrieve(stateHandle, key, &size, &type, &flags));
        if (value == nullptr || type != self.atomPath || size == 0) continue;
        const std::string abstract(value, strnlen(value, size));
        std::string path = abstract;
        if (mapPath != nullptr) {
            char* absolute = mapPath->absolute_path(mapPath->handle, abstract.c_str());
            if (absolute == nullptr) continue;
            path = absolute;
            if (freePath != nullptr)
                freePath->free_path(freePath->handle, absolute);
            else
                std::free(absolute);
        }
        try {
            const Response response = load(self, kind, path);
            if (kind == Kind::scala && response.scale != nullptr)
                delete self.synth->swapScale(response.scale);
            if (kind == Kind::makam && response.hasMakam) self.synth->setMakam(response.makam);
        } catch (const std::exception&) {
            return LV2_STATE_ERR_UNKNOWN;
        }
    }
    return LV2_STATE_SUCCESS;
}

const void* extensionData(const char* uri) {
    static const LV2_Worker_Interface worker{work, workResponse, nullptr};
    static const LV2_State_Interface state{save, restore};
    if (std::strcmp(uri, LV2_WORKER__interface) == 0) return &worker;
    if (std::strcmp(uri, LV2_STATE__interface) == 0) return &state;
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

LV2_SYMBOL_EXPORT const LV2_Descriptor* lv2_descriptor(uint32_t index) {
    return index == 0 ? &kDescriptor : nullptr;
}
