#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>

namespace sim {

// Where the simulated camera takes its time from.
class Clock {
public:
    virtual ~Clock() = default;
    // Time since an arbitrary start; it never goes back.
    virtual std::chrono::nanoseconds now() const = 0;
};

// The machine's steady clock: the camera moves in real time.
class SteadyClock final : public Clock {
public:
    std::chrono::nanoseconds now() const override {
        return std::chrono::steady_clock::now().time_since_epoch();
    }
};

// Time that passes only when advanced, so that a test sees exact positions without sleeping.
class ManualClock final : public Clock {
public:
    std::chrono::nanoseconds now() const override { return std::chrono::nanoseconds(now_.load()); }
    void advance(std::chrono::nanoseconds by) { now_ += by.count(); }

private:
    std::atomic<std::int64_t> now_{0};
};

}  // namespace sim
