#include "lv2_plugin.h"

#include <lv2/atom/forge.h>
#include <lv2/atom/util.h>
#include <lv2/midi/midi.h>
#include <lv2/patch/patch.h>

#include <dlfcn.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <stdexcept>

namespace zembera::lv2 {

namespace {

constexpr uint32_t kAtomBufferBytes = 65536;

// A lilv node freed when it goes out of scope.
struct Node {
    LilvNode* node;
    explicit Node(LilvNode* n) : node(n) {}
    ~Node() { lilv_node_free(node); }
    Node(const Node&) = delete;
    Node& operator=(const Node&) = delete;
    operator const LilvNode*() const { return node; }
};

std::string folderUri(const std::filesystem::path& folder) {
    // A bundle is named by its folder's URI, with the trailing slash.
    return "file://" + (std::filesystem::absolute(folder) / "").string();
}

} // namespace

enum class PortKind { AudioIn, AudioOut, ControlIn, ControlOut, AtomIn, AtomOut, Other };

struct Plugin::Port {
    PortKind kind;
    std::string symbol;
    float value = 0.0f;
    std::vector<float> audio;
    std::vector<uint64_t> atom; // 64-bit words keep the sequence aligned as atoms must be

    LV2_Atom_Sequence* sequence() { return reinterpret_cast<LV2_Atom_Sequence*>(atom.data()); }
};

Bundle::Bundle(const std::filesystem::path& folder, const std::string& pluginUri)
    : world_(lilv_world_new()) {
    Node bundle(lilv_new_uri(world_, folderUri(folder).c_str()));
    lilv_world_load_bundle(world_, bundle);
    Node uri(lilv_new_uri(world_, pluginUri.c_str()));
    plugin_ = lilv_plugins_get_by_uri(lilv_world_get_all_plugins(world_), uri);
    if (!plugin_) {
        lilv_world_free(world_);
        throw std::runtime_error("no plugin " + pluginUri + " in " + folder.string());
    }
    // The plugin's library stays loaded as long as the test process runs: some libraries
    // (libinstpatch under ACE Fluid Synth) hang when loaded again after an unload.
    char* library =
        lilv_file_uri_parse(lilv_node_as_uri(lilv_plugin_get_library_uri(plugin_)), nullptr);
    if (void* handle = dlopen(library, RTLD_NOW | RTLD_NODELETE)) dlclose(handle);
    lilv_free(library);
}

Bundle::~Bundle() {
    lilv_world_free(world_);
}

std::vector<std::string> Bundle::pathParameters() const {
    const Node writable(lilv_new_uri(world_, LV2_PATCH__writable));
    const Node range(lilv_new_uri(world_, LILV_NS_RDFS "range"));
    const Node path(lilv_new_uri(world_, LV2_ATOM__Path));
    std::vector<std::string> uris;
    LilvNodes* parameters = lilv_plugin_get_value(plugin_, writable);
    LILV_FOREACH(nodes, i, parameters) {
        const LilvNode* parameter = lilv_nodes_get(parameters, i);
        if (lilv_world_ask(world_, parameter, range, path))
            uris.emplace_back(lilv_node_as_uri(parameter));
    }
    lilv_nodes_free(parameters);
    return uris;
}

Plugin::Plugin(const Bundle& bundle, double rate, uint32_t blockSize,
               const std::filesystem::path& scratch)
    : bundle_(bundle), features_(rate, blockSize, scratch), blockSize_(blockSize) {
    const LilvPlugin* plugin = bundle.plugin();
    LilvWorld* world = bundle.world();

    const auto given = features_.uris();
    LilvNodes* required = lilv_plugin_get_required_features(plugin);
    std::string missing;
    LILV_FOREACH(nodes, i, required) {
        const std::string uri = lilv_node_as_uri(lilv_nodes_get(required, i));
        if (std::find(given.begin(), given.end(), uri) == given.end()) missing += " " + uri;
    }
    lilv_nodes_free(required);
    if (!missing.empty())
        throw std::runtime_error("the plugin needs features not given:" + missing);

    instance_ = lilv_plugin_instantiate(plugin, rate, features_.list());
    if (!instance_) throw std::runtime_error("the plugin could not be instantiated");

    const Node input(lilv_new_uri(world, LV2_CORE__InputPort));
    const Node audio(lilv_new_uri(world, LV2_CORE__AudioPort));
    const Node control(lilv_new_uri(world, LV2_CORE__ControlPort));
    const Node atom(lilv_new_uri(world, LV2_ATOM__AtomPort));
    const uint32_t count = lilv_plugin_get_num_ports(plugin);
    std::vector<float> defaults(count);
    lilv_plugin_get_port_ranges_float(plugin, nullptr, nullptr, defaults.data());
    for (uint32_t index = 0; index < count; ++index) {
        const LilvPort* lilvPort = lilv_plugin_get_port_by_index(plugin, index);
        auto port = std::make_unique<Port>();
        port->symbol = lilv_node_as_string(lilv_port_get_symbol(plugin, lilvPort));
        const bool in = lilv_port_is_a(plugin, lilvPort, input);
        void* buffer = nullptr;
        if (lilv_port_is_a(plugin, lilvPort, audio)) {
            port->kind = in ? PortKind::AudioIn : PortKind::AudioOut;
            port->audio.assign(blockSize, 0.0f);
            buffer = port->audio.data();
        } else if (lilv_port_is_a(plugin, lilvPort, control)) {
            port->kind = in ? PortKind::ControlIn : PortKind::ControlOut;
            port->value = std::isnan(defaults[index]) ? 0.0f : defaults[index];
            buffer = &port->value;
        } else if (lilv_port_is_a(plugin, lilvPort, atom)) {
            port->kind = in ? PortKind::AtomIn : PortKind::AtomOut;
            port->atom.assign(kAtomBufferBytes / sizeof(uint64_t), 0);
            buffer = port->atom.data();
        } else {
            // CV and other ports get a silent buffer of their own.
            port->kind = PortKind::Other;
            port->audio.assign(blockSize, 0.0f);
            buffer = port->audio.data();
        }
        lilv_instance_connect_port(instance_, index, buffer);
        ports_.push_back(std::move(port));
    }

    const auto* worker = static_cast<const LV2_Worker_Interface*>(
        lilv_instance_get_extension_data(instance_, LV2_WORKER__interface));
    features_.worker().attach(lilv_instance_get_handle(instance_), worker);
    lilv_instance_activate(instance_);
}

Plugin::~Plugin() {
    if (!instance_) return;
    lilv_instance_deactivate(instance_);
    lilv_instance_free(instance_);
}

void Plugin::insertEvent(Event event) {
    const auto after = [](const Event& a, const Event& b) { return a.frame < b.frame; };
    const auto at = std::upper_bound(events_.begin(), events_.end(), event, after);
    events_.insert(at, std::move(event));
}

void Plugin::midi(uint64_t frame, std::vector<uint8_t> bytes) {
    insertEvent({frame, features_.urids().map(LV2_MIDI__MidiEvent), std::move(bytes)});
}

void Plugin::askParameters(uint64_t frame) {
    // An object's body: its id (none) and its type.
    const LV2_Atom_Object_Body get{0, features_.urids().map(LV2_PATCH__Get)};
    const auto* bytes = reinterpret_cast<const uint8_t*>(&get);
    insertEvent({frame, features_.urids().map(LV2_ATOM__Object),
                 std::vector<uint8_t>(bytes, bytes + sizeof get)});
}

void Plugin::readTold(Port& port) {
    UridMap& urids = features_.urids();
    const LV2_Atom_Sequence* sequence = port.sequence();
    if (sequence->atom.type != urids.map(LV2_ATOM__Sequence)) return;
    LV2_ATOM_SEQUENCE_FOREACH(sequence, event) {
        if (event->body.type != urids.map(LV2_ATOM__Object)) continue;
        const auto* object = reinterpret_cast<const LV2_Atom_Object*>(&event->body);
        if (object->body.otype != urids.map(LV2_PATCH__Set)) continue;
        const LV2_Atom* property = nullptr;
        const LV2_Atom* value = nullptr;
        lv2_atom_object_get(object, urids.map(LV2_PATCH__property), &property,
                            urids.map(LV2_PATCH__value), &value, 0);
        if (!property || property->type != urids.map(LV2_ATOM__URID) || !value ||
            value->type != urids.map(LV2_ATOM__Path))
            continue;
        const char* text = static_cast<const char*>(LV2_ATOM_BODY_CONST(value));
        told_.emplace_back(urids.unmap(reinterpret_cast<const LV2_Atom_URID*>(property)->body),
                           std::string(text, strnlen(text, value->size)));
    }
}

void Plugin::setPath(uint64_t frame, const std::string& property,
                     const std::filesystem::path& path) {
    UridMap& urids = features_.urids();
    std::vector<uint64_t> buffer(1024);
    LV2_Atom_Forge forge;
    lv2_atom_forge_init(&forge, urids.mapFeature());
    lv2_atom_forge_set_buffer(&forge, reinterpret_cast<uint8_t*>(buffer.data()),
                              buffer.size() * sizeof(uint64_t));
    LV2_Atom_Forge_Frame object;
    lv2_atom_forge_object(&forge, &object, 0, urids.map(LV2_PATCH__Set));
    lv2_atom_forge_key(&forge, urids.map(LV2_PATCH__property));
    lv2_atom_forge_urid(&forge, urids.map(property));
    lv2_atom_forge_key(&forge, urids.map(LV2_PATCH__value));
    const std::string text = path.string();
    lv2_atom_forge_path(&forge, text.c_str(), static_cast<uint32_t>(text.size()));
    lv2_atom_forge_pop(&forge, &object);
    const auto* atom = reinterpret_cast<const LV2_Atom*>(buffer.data());
    const auto* body = static_cast<const uint8_t*>(LV2_ATOM_BODY_CONST(atom));
    insertEvent({frame, atom->type, std::vector<uint8_t>(body, body + atom->size)});
}

Plugin::Port* Plugin::findPort(const std::string& symbol) const {
    for (const auto& port : ports_)
        if (port->symbol == symbol) return port.get();
    return nullptr;
}

Plugin::Port& Plugin::portBySymbol(const std::string& symbol) const {
    if (Port* port = findPort(symbol)) return *port;
    throw std::out_of_range("no port " + symbol);
}

void Plugin::setControl(const std::string& symbol, float value) {
    portBySymbol(symbol).value = value;
}

float Plugin::control(const std::string& symbol) const {
    return portBySymbol(symbol).value;
}

void Plugin::writeEvents(Port& port, uint32_t blockLength) {
    LV2_Atom_Sequence* sequence = port.sequence();
    sequence->atom.type = features_.urids().map(LV2_ATOM__Sequence);
    sequence->atom.size = sizeof(LV2_Atom_Sequence_Body);
    sequence->body = {0, 0};
    const uint32_t capacity = kAtomBufferBytes - sizeof(LV2_Atom);
    auto next = events_.begin();
    for (; next != events_.end() && next->frame < frame_ + blockLength; ++next) {
        std::vector<uint8_t> bytes(sizeof(LV2_Atom_Event) + next->body.size());
        auto* event = reinterpret_cast<LV2_Atom_Event*>(bytes.data());
        event->time.frames = static_cast<int64_t>(next->frame > frame_ ? next->frame - frame_ : 0);
        event->body = {static_cast<uint32_t>(next->body.size()), next->type};
        std::copy(next->body.begin(), next->body.end(), bytes.begin() + sizeof(LV2_Atom_Event));
        if (!lv2_atom_sequence_append_event(sequence, capacity, event))
            throw std::runtime_error("too many events in one block");
    }
    events_.erase(events_.begin(), next);
}

std::vector<std::vector<float>> Plugin::render(uint64_t frames) {
    std::vector<std::vector<float>> out;
    for (const auto& port : ports_)
        if (port->kind == PortKind::AudioOut) out.emplace_back().reserve(frames);
    bool eventsWritten = false;
    for (uint64_t done = 0; done < frames;) {
        const auto length = static_cast<uint32_t>(std::min<uint64_t>(blockSize_, frames - done));
        for (auto& port : ports_) {
            if (port->kind == PortKind::AtomIn && !eventsWritten) {
                writeEvents(*port, length);
                eventsWritten = true; // events go to the first atom input only
            } else if (port->kind == PortKind::AtomIn) {
                port->sequence()->atom.size = sizeof(LV2_Atom_Sequence_Body);
            } else if (port->kind == PortKind::AtomOut) {
                // An output sequence starts as a chunk as large as the buffer holds.
                port->sequence()->atom = {kAtomBufferBytes - sizeof(LV2_Atom),
                                          features_.urids().map(LV2_ATOM__Chunk)};
            }
        }
        eventsWritten = false;
        lilv_instance_run(instance_, length);
        for (auto& port : ports_)
            if (port->kind == PortKind::AtomOut) readTold(*port);
        features_.worker().serve();
        auto channel = out.begin();
        for (const auto& port : ports_) {
            if (port->kind != PortKind::AudioOut) continue;
            channel->insert(channel->end(), port->audio.begin(), port->audio.begin() + length);
            ++channel;
        }
        frame_ += length;
        done += length;
    }
    return out;
}

const void* Plugin::portValue(const char* symbol, void* self, uint32_t* size, uint32_t* type) {
    // lilv asks for the input controls only; anything else is left out of the state.
    auto& plugin = *static_cast<Plugin*>(self);
    Port* port = plugin.findPort(symbol);
    if (!port || port->kind != PortKind::ControlIn) return nullptr;
    *size = sizeof(float);
    *type = plugin.features_.urids().map(LV2_ATOM__Float);
    return &port->value;
}

void Plugin::setPortValue(const char* symbol, void* self, const void* value, uint32_t size,
                          uint32_t type) {
    // Called from within lilv: nothing may be thrown; a value of another type is left out.
    auto& plugin = *static_cast<Plugin*>(self);
    UridMap& urids = plugin.features_.urids();
    Port* port = plugin.findPort(symbol);
    if (!port || port->kind != PortKind::ControlIn) return;
    if (type == urids.map(LV2_ATOM__Float) && size == sizeof(float))
        port->value = *static_cast<const float*>(value);
    else if (type == urids.map(LV2_ATOM__Double) && size == sizeof(double))
        port->value = static_cast<float>(*static_cast<const double*>(value));
    else if (type == urids.map(LV2_ATOM__Int) && size == sizeof(int32_t))
        port->value = static_cast<float>(*static_cast<const int32_t*>(value));
}

void Plugin::saveState(const std::filesystem::path& folder) {
    // As a DAW keeps them beside its session: files the plugin made, copies, links to outside
    // files.
    const std::string scratch = (folder / "scratch").string(), copies = (folder / "files").string(),
                      links = (folder / "links").string();
    for (const auto& made : {scratch, copies, links})
        std::filesystem::create_directories(made);
    LV2_URID_Map* map = features_.urids().mapFeature();
    LilvState* state =
        lilv_state_new_from_instance(bundle_.plugin(), instance_, map, scratch.c_str(),
                                     copies.c_str(), links.c_str(), folder.c_str(), portValue, this,
                                     LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE, features_.list());
    const int failed = lilv_state_save(bundle_.world(), map, features_.urids().unmapFeature(),
                                       state, nullptr, folder.c_str(), "state.ttl");
    lilv_state_free(state);
    if (failed) throw std::runtime_error("the state could not be saved in " + folder.string());
}

void Plugin::restoreState(const std::filesystem::path& folder) {
    const std::string file = (folder / "state.ttl").string();
    LilvState* state = lilv_state_new_from_file(bundle_.world(), features_.urids().mapFeature(),
                                                nullptr, file.c_str());
    if (!state) throw std::runtime_error("no state in " + file);
    lilv_state_restore(state, instance_, setPortValue, this, 0, features_.list());
    lilv_state_free(state);
    features_.worker().serve();
}

} // namespace zembera::lv2
