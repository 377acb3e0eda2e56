#pragma once
// One plugin instance hosted with lilv the way a DAW hosts it: loaded from its bundle's folder,
// made at a given rate and block size, every port connected, events placed at their frame within
// the block, controls changed between blocks, state saved to a folder and restored from it.

#include "lv2_features.h"

#include <lilv/lilv.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace zembera::lv2 {

// The lilv world with one bundle loaded, and the plugin of that bundle a test asks for.
class Bundle {
  public:
    // Throws std::runtime_error when the folder holds no plugin of that URI.
    Bundle(const std::filesystem::path& folder, const std::string& pluginUri);
    ~Bundle();
    Bundle(const Bundle&) = delete;
    Bundle& operator=(const Bundle&) = delete;

    LilvWorld* world() const { return world_; }
    const LilvPlugin* plugin() const { return plugin_; }
    // The URIs of the path parameters a host offers as files: patch:writable, range atom:Path.
    std::vector<std::string> pathParameters() const;

  private:
    LilvWorld* world_;
    const LilvPlugin* plugin_ = nullptr;
};

class Plugin {
  public:
    // Throws std::runtime_error when the plugin needs a feature this host lacks or cannot be made.
    Plugin(const Bundle& bundle, double rate, uint32_t blockSize,
           const std::filesystem::path& scratch);
    ~Plugin();
    Plugin(const Plugin&) = delete;
    Plugin& operator=(const Plugin&) = delete;

    // Events are placed by the frame counted from the first rendered one, and sent in the block
    // that holds it, at its offset within that block.
    void midi(uint64_t frame, std::vector<uint8_t> bytes);
    // A patch:Set of a path parameter (patch:writable with an atom:Path range).
    void setPath(uint64_t frame, const std::string& property, const std::filesystem::path& path);

    // A patch:Get of every parameter, as a host sends it to fill its file fields.
    void askParameters(uint64_t frame);
    // The path parameters the plugin told by patch:Set on its outputs so far: (property, path).
    const std::vector<std::pair<std::string, std::string>>& toldPaths() const { return told_; }

    // A control input, from the next block on. Throws std::out_of_range for an unknown symbol.
    void setControl(const std::string& symbol, float value);
    float control(const std::string& symbol) const;

    // Runs the plugin for `frames` more frames in blocks of the block size; one vector per audio
    // output, in port order.
    std::vector<std::vector<float>> render(uint64_t frames);
    uint64_t frame() const { return frame_; }

    // A host's session save: the state with every control value, as `state.ttl` in `folder`.
    void saveState(const std::filesystem::path& folder);
    void restoreState(const std::filesystem::path& folder);

  private:
    struct Port;
    struct Event {
        uint64_t frame;
        uint32_t type;
        std::vector<uint8_t> body;
    };
    void writeEvents(Port& port, uint32_t blockLength);
    void insertEvent(Event event);
    void readTold(Port& port);
    Port* findPort(const std::string& symbol) const;
    Port& portBySymbol(const std::string& symbol) const;
    static const void* portValue(const char* symbol, void* self, uint32_t* size, uint32_t* type);
    static void setPortValue(const char* symbol, void* self, const void* value, uint32_t size,
                             uint32_t type);

    const Bundle& bundle_;
    Features features_;
    LilvInstance* instance_ = nullptr;
    std::vector<std::unique_ptr<Port>> ports_;
    std::vector<Event> events_;
    std::vector<std::pair<std::string, std::string>> told_;
    uint64_t frame_ = 0;
    uint32_t blockSize_;
};

} // namespace zembera::lv2
