#pragma once
// The host services an instrument plugin asks for when it is made: URIs mapped to numbers, the
// rate and block sizes as options, a worker for loading off the audio thread, a log, and file
// paths for its state. One set serves every instance of a test.

#include <lv2/core/lv2.h>
#include <lv2/log/log.h>
#include <lv2/options/options.h>
#include <lv2/state/state.h>
#include <lv2/urid/urid.h>
#include <lv2/worker/worker.h>

#include <cstdint>
#include <deque>
#include <filesystem>
#include <string>
#include <unordered_map>
#include <vector>

namespace zembera::lv2 {

class UridMap {
  public:
    UridMap();
    LV2_URID map(const std::string& uri);
    const char* unmap(LV2_URID urid) const;
    LV2_URID_Map* mapFeature() { return &map_; }
    LV2_URID_Unmap* unmapFeature() { return &unmap_; }

  private:
    std::unordered_map<std::string, LV2_URID> ids_;
    std::deque<std::string> uris_; // index urid - 1; a deque keeps the strings where they are
    LV2_URID_Map map_;
    LV2_URID_Unmap unmap_;
};

// Work the plugin schedules from run() or restore(), done on the same thread right after the
// block, as a host's worker thread would between two blocks: loading is finished by the next one.
class Worker {
  public:
    Worker();
    void attach(LV2_Handle handle, const LV2_Worker_Interface* interface);
    // Runs every scheduled request, then hands the plugin its responses and ends the run.
    void serve();
    LV2_Worker_Schedule* scheduleFeature() { return &schedule_; }

  private:
    LV2_Handle handle_ = nullptr;
    const LV2_Worker_Interface* interface_ = nullptr;
    std::vector<std::vector<char>> requests_;
    std::vector<std::vector<char>> responses_;
    LV2_Worker_Schedule schedule_;
};

class Features {
  public:
    Features(double rate, uint32_t maxBlock, const std::filesystem::path& scratch);
    Features(const Features&) = delete;
    Features& operator=(const Features&) = delete;

    UridMap& urids() { return urids_; }
    Worker& worker() { return worker_; }
    // Null-terminated, as instantiate(), save() and restore() take them.
    const LV2_Feature* const* list() const { return list_.data(); }
    // URIs of the features this host gives.
    std::vector<std::string> uris() const;
    double rate() const { return rate_; }
    uint32_t maxBlock() const { return maxBlock_; }

  private:
    UridMap urids_;
    Worker worker_;
    double rate_;
    uint32_t maxBlock_;
    float sampleRate_;
    int32_t minBlockLength_ = 1;
    int32_t maxBlockLength_;
    int32_t nominalBlockLength_;
    int32_t sequenceSize_;
    std::filesystem::path scratch_;
    std::vector<LV2_Options_Option> options_;
    LV2_Log_Log log_;
    LV2_State_Make_Path makePath_;
    LV2_State_Map_Path mapPath_;
    LV2_State_Free_Path freePath_;
    std::vector<LV2_Feature> features_;
    std::vector<const LV2_Feature*> list_;
};

} // namespace zembera::lv2
