#include "lv2_features.h"

#include <lv2/atom/atom.h>
#include <lv2/buf-size/buf-size.h>
#include <lv2/parameters/parameters.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace zembera::lv2 {

namespace {

constexpr int32_t kSequenceBytes = 65536;

// The worker's callbacks copy what the plugin hands over: its buffers are its own again on return.
LV2_Worker_Status keep(std::vector<std::vector<char>>& queue, uint32_t size, const void* data) {
    const char* bytes = static_cast<const char*>(data);
    queue.emplace_back(bytes, bytes + size);
    return LV2_WORKER_SUCCESS;
}

int printLog(LV2_Log_Handle, LV2_URID, const char* format, va_list args) {
    return std::vfprintf(stderr, format, args);
}

int printLogLine(LV2_Log_Handle handle, LV2_URID type, const char* format, ...) {
    va_list args;
    va_start(args, format);
    const int written = printLog(handle, type, format, args);
    va_end(args);
    return written;
}

char* duplicate(const std::string& text) {
    return strdup(text.c_str());
}

} // namespace

UridMap::UridMap() {
    map_ = {this, [](LV2_URID_Map_Handle self, const char* uri) {
                return static_cast<UridMap*>(self)->map(uri);
            }};
    unmap_ = {this, [](LV2_URID_Unmap_Handle self, LV2_URID urid) {
                  return static_cast<const UridMap*>(self)->unmap(urid);
              }};
}

LV2_URID UridMap::map(const std::string& uri) {
    const auto [where, added] = ids_.try_emplace(uri, static_cast<LV2_URID>(uris_.size() + 1));
    if (added) uris_.push_back(uri);
    return where->second;
}

const char* UridMap::unmap(LV2_URID urid) const {
    return urid >= 1 && urid <= uris_.size() ? uris_[urid - 1].c_str() : nullptr;
}

Worker::Worker() {
    schedule_ = {this, [](LV2_Worker_Schedule_Handle self, uint32_t size, const void* data) {
                     return keep(static_cast<Worker*>(self)->requests_, size, data);
                 }};
}

void Worker::attach(LV2_Handle handle, const LV2_Worker_Interface* interface) {
    handle_ = handle;
    interface_ = interface;
}

void Worker::serve() {
    if (!interface_) return;
    const auto respond = [](LV2_Worker_Respond_Handle self, uint32_t size, const void* data) {
        return keep(static_cast<Worker*>(self)->responses_, size, data);
    };
    for (auto requests = std::move(requests_); const auto& request : requests)
        interface_->work(handle_, respond, this, static_cast<uint32_t>(request.size()),
                         request.data());
    for (auto responses = std::move(responses_); const auto& response : responses)
        interface_->work_response(handle_, static_cast<uint32_t>(response.size()), response.data());
    if (interface_->end_run) interface_->end_run(handle_);
}

Features::Features(double rate, uint32_t maxBlock, const std::filesystem::path& scratch)
    : rate_(rate), maxBlock_(maxBlock), sampleRate_(static_cast<float>(rate)),
      maxBlockLength_(static_cast<int32_t>(maxBlock)),
      nominalBlockLength_(static_cast<int32_t>(maxBlock)), sequenceSize_(kSequenceBytes),
      scratch_(scratch) {
    const LV2_URID atomInt = urids_.map(LV2_ATOM__Int);
    // Every value is four bytes: a float or an int32_t.
    const auto option = [&](const char* key, LV2_URID type, const void* value) {
        options_.push_back({LV2_OPTIONS_INSTANCE, 0, urids_.map(key), 4, type, value});
    };
    option(LV2_PARAMETERS__sampleRate, urids_.map(LV2_ATOM__Float), &sampleRate_);
    option(LV2_BUF_SIZE__minBlockLength, atomInt, &minBlockLength_);
    option(LV2_BUF_SIZE__maxBlockLength, atomInt, &maxBlockLength_);
    option(LV2_BUF_SIZE__nominalBlockLength, atomInt, &nominalBlockLength_);
    option(LV2_BUF_SIZE__sequenceSize, atomInt, &sequenceSize_);
    options_.push_back({LV2_OPTIONS_INSTANCE, 0, 0, 0, 0, nullptr});

    log_ = {this, printLogLine, printLog};
    // Paths the plugin makes live in the scratch folder; abstract paths are the absolute ones.
    makePath_ = {this, [](LV2_State_Make_Path_Handle self, const char* path) {
                     const auto& folder = static_cast<Features*>(self)->scratch_;
                     std::filesystem::create_directories(folder);
                     return duplicate(folder / path);
                 }};
    mapPath_ = {
        this, [](LV2_State_Map_Path_Handle, const char* absolute) { return duplicate(absolute); },
        [](LV2_State_Map_Path_Handle, const char* abstract) { return duplicate(abstract); }};
    freePath_ = {this, [](LV2_State_Free_Path_Handle, char* path) { std::free(path); }};

    features_ = {
        {LV2_URID__map, urids_.mapFeature()},
        {LV2_URID__unmap, urids_.unmapFeature()},
        {LV2_OPTIONS__options, options_.data()},
        {LV2_BUF_SIZE__boundedBlockLength, nullptr},
        {LV2_WORKER__schedule, worker_.scheduleFeature()},
        {LV2_LOG__log, &log_},
        {LV2_STATE__makePath, &makePath_},
        {LV2_STATE__mapPath, &mapPath_},
        {LV2_STATE__freePath, &freePath_},
    };
    for (const auto& feature : features_)
        list_.push_back(&feature);
    list_.push_back(nullptr);
}

std::vector<std::string> Features::uris() const {
    std::vector<std::string> uris;
    for (const auto& feature : features_)
        uris.emplace_back(feature.URI);
    return uris;
}

} // namespace zembera::lv2
