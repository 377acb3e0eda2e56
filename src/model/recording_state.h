#pragma once
// The state of performance recording: the interval timer and whether the first pluck is still to
// come.

#include "common/xtimer.h"

namespace zembera {

struct RecordingState {
    xTimer recordTimer;
    bool firstPluckPending = false;
};

// Where each finished pluck of a recording goes: string, its mandal position, its duration.
class PluckRecorder {
  public:
    virtual ~PluckRecorder() = default;
    virtual void writePluck(int string, int mandal, std::int32_t elapsedMs) = 0;
};

} // namespace zembera
