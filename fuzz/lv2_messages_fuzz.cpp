// What a host writes on the plugin's MIDI port, of any content: MIDI events of any length and
// objects whose type, properties and values are anything (patch:Set and patch:Get with sizes that
// do not add up, paths without an end, property values of the wrong type), in one block of run().
// Checked on the way: the plugin schedules only requests of a size it declares, every path sent to
// its worker ends with its zero byte, and what it writes on its notify port is a sequence that
// stays within the room given.
//
// Input: events, each a kind byte (0: MIDI, 1: an object, else its low byte as the atom type),
// a frame byte, a size byte and that many body bytes. URIs are numbered 1, 2, ... in the order
// the plugin maps them, so that small numbers in a body name its own keys and types.

#include <lv2/atom/atom.h>
#include <lv2/atom/util.h>
#include <lv2/core/lv2.h>
#include <lv2/urid/urid.h>
#include <lv2/worker/worker.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "lv2/ports.h"

extern "C" const LV2_Descriptor* lv2_descriptor(uint32_t index);

namespace {

void check(bool condition) {
    if (!condition) std::abort();
}

std::vector<std::string> uris;

LV2_URID mapUri(LV2_URID_Map_Handle, const char* uri) {
    for (std::size_t i = 0; i < uris.size(); ++i)
        if (uris[i] == uri) return static_cast<LV2_URID>(i + 1);
    uris.emplace_back(uri);
    return static_cast<LV2_URID>(uris.size());
}

// Checks each request as a host's worker would receive it, without reading any file.
LV2_Worker_Status schedule(LV2_Worker_Schedule_Handle, uint32_t size, const void* data) {
    check(size > 0 && size <= 16 + 4096 && data != nullptr);
    const auto* bytes = static_cast<const char*>(data);
    check(bytes[size - 1] == '\0');
    return LV2_WORKER_SUCCESS;
}

constexpr uint32_t kFrames = 256;
constexpr std::size_t kMidiBytes = 1 << 16;

struct Host {
    LV2_URID_Map map{nullptr, mapUri};
    LV2_Worker_Schedule worker{nullptr, schedule};
    LV2_Feature mapFeature{LV2_URID__map, &map};
    LV2_Feature workerFeature{LV2_WORKER__schedule, &worker};
    const LV2_Feature* features[3] = {&mapFeature, &workerFeature, nullptr};
    const LV2_Descriptor* plugin = lv2_descriptor(0);
    LV2_Handle handle = nullptr;
    std::vector<uint64_t> notify = std::vector<uint64_t>(zembera::lv2::port::notifyBytes / 8);
    std::array<std::array<float, kFrames>, 2> out{};
    std::array<float, zembera::lv2::port::count> controls{};

    Host() {
        handle = plugin->instantiate(plugin, 48000, ZEMBERA_LV2_BUNDLE, features);
        check(handle != nullptr);
        for (uint32_t i = 0; i < zembera::lv2::port::count; ++i)
            plugin->connect_port(handle, i, &controls[i]);
        controls[zembera::lv2::port::ahenk] = 4;
        plugin->connect_port(handle, zembera::lv2::port::notify, notify.data());
        plugin->connect_port(handle, zembera::lv2::port::outLeft, out[0].data());
        plugin->connect_port(handle, zembera::lv2::port::outRight, out[1].data());
        plugin->activate(handle);
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    static Host host;
    const LV2_URID sequenceType = mapUri(nullptr, LV2_ATOM__Sequence);
    const LV2_URID chunkType = mapUri(nullptr, LV2_ATOM__Chunk);
    const LV2_URID midiType = mapUri(nullptr, "http://lv2plug.in/ns/ext/midi#MidiEvent");
    const LV2_URID objectType = mapUri(nullptr, LV2_ATOM__Object);

    // The sequence in a buffer of just its size, so that a read past its end is caught.
    std::vector<uint8_t> events;
    for (std::size_t at = 0; at + 3 <= size && events.size() < kMidiBytes;) {
        const uint8_t kind = data[at], frame = data[at + 1];
        const std::size_t length = std::min<std::size_t>(data[at + 2], size - at - 3);
        at += 3;
        LV2_Atom_Event header{};
        header.time.frames = frame;
        header.body = {static_cast<uint32_t>(length), kind == 0   ? midiType
                                                      : kind == 1 ? objectType
                                                                  : kind};
        const auto* head = reinterpret_cast<const uint8_t*>(&header);
        events.insert(events.end(), head, head + sizeof header);
        events.insert(events.end(), data + at, data + at + length);
        events.resize(events.size() + lv2_atom_pad_size(static_cast<uint32_t>(length)) - length);
        at += length;
    }
    std::vector<uint8_t> buffer(sizeof(LV2_Atom_Sequence) + events.size());
    auto* in = reinterpret_cast<LV2_Atom_Sequence*>(buffer.data());
    in->atom = {static_cast<uint32_t>(sizeof(LV2_Atom_Sequence_Body) + events.size()),
                sequenceType};
    in->body = {0, 0};
    if (!events.empty())
        std::memcpy(buffer.data() + sizeof(LV2_Atom_Sequence), events.data(), events.size());
    host.plugin->connect_port(host.handle, zembera::lv2::port::midiIn, in);
    auto* notify = reinterpret_cast<LV2_Atom_Sequence*>(host.notify.data());
    notify->atom = {static_cast<uint32_t>(host.notify.size() * 8 - sizeof(LV2_Atom)), chunkType};
    host.plugin->run(host.handle, kFrames);

    check(notify->atom.type == sequenceType);
    check(notify->atom.size + sizeof(LV2_Atom) <= host.notify.size() * 8);
    LV2_ATOM_SEQUENCE_FOREACH(notify, told) {
        check(told->body.type == objectType);
    }
    return 0;
}
