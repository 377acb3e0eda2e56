#pragma once
// The state of performance recording: the interval timer and whether the first pluck is still to
// come.

#include "common/xtimer.h"

namespace zembera {

struct RecordingState {
    xTimer recordTimer;
    bool firstPluckPending = false;
    // A replay or melody loop is running on the stack: no other one may start inside it.
    bool loopRunning = false;
    // Pauses taken during replays: a replay that sees this change goes on from that moment.
    int pauses = 0;
};

// Where each finished pluck of a recording goes: string, its mandal position, its duration.
class PluckRecorder {
  public:
    virtual ~PluckRecorder() = default;
    virtual void writePluck(int string, int mandal, std::int32_t elapsedMs) = 0;
};

} // namespace zembera
