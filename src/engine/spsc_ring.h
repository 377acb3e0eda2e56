#pragma once
// A fixed-capacity, lock-free ring for exactly one producer thread and one consumer thread.
// The slots are allocated once in the constructor; push and pop never allocate, lock or free.
// Values are moved in and moved out, so a slot left behind holds a moved-from value.

#include <atomic>
#include <bit>
#include <cstddef>
#include <memory>
#include <type_traits>
#include <utility>

namespace zembera {

template <typename T> class SpscRing {
  public:
    // Thread: any, before the ring is shared. Rounds the capacity up to a power of two.
    explicit SpscRing(std::size_t capacity)
        : mask_(std::bit_ceil(capacity < 1 ? std::size_t{1} : capacity) - 1),
          slots_(std::make_unique<T[]>(mask_ + 1)) {}

    SpscRing(const SpscRing&) = delete;
    SpscRing& operator=(const SpscRing&) = delete;

    std::size_t capacity() const noexcept { return mask_ + 1; }

    // Thread: the producer only. Returns false, leaving `value` as it was, when the ring is full.
    bool push(T&& value) noexcept(std::is_nothrow_move_assignable_v<T>) {
        const std::size_t tail = tail_.load(std::memory_order_relaxed);
        if (tail - head_.load(std::memory_order_acquire) > mask_) return false;
        slots_[tail & mask_] = std::move(value);
        tail_.store(tail + 1, std::memory_order_release);
        return true;
    }

    // Thread: the consumer only. Moves the oldest value into `out`; false when the ring is empty.
    bool pop(T& out) noexcept(std::is_nothrow_move_assignable_v<T>) {
        const std::size_t head = head_.load(std::memory_order_relaxed);
        if (head == tail_.load(std::memory_order_acquire)) return false;
        out = std::move(slots_[head & mask_]);
        head_.store(head + 1, std::memory_order_release);
        return true;
    }

  private:
    const std::size_t mask_;
    std::unique_ptr<T[]> slots_;
    // Counters only grow; their difference is the fill. Kept on separate cache lines so that the
    // two threads do not invalidate each other's line on every operation.
    alignas(64) std::atomic<std::size_t> head_{0}; // next slot to read, written by the consumer
    alignas(64) std::atomic<std::size_t> tail_{0}; // next slot to write, written by the producer
};

} // namespace zembera
