#pragma once
// Remembers the thread that created its owner, the UI thread, so that debug builds can check
// that UI-thread-only functions are called from there. Release builds check nothing.

#include <cassert>
#include <thread>

namespace zembera {

class UiThreadCheck {
  public:
    void assertUiThread() const noexcept {
        assert(std::this_thread::get_id() == owner_ && "UI-thread-only call from another thread");
    }

  private:
    std::thread::id owner_ = std::this_thread::get_id();
};

} // namespace zembera
