#pragma once

// Virtual time: sleeping moves the clock forward at once.

#include <cstdint>
#include <vector>

#include "platform/clock.h"

namespace mivex::testing {

class FakeClock final : public platform::Clock {
public:
    std::uint64_t NowMs() override { return now_; }
    void SleepMs(std::uint32_t milliseconds) override {
        sleeps.push_back(milliseconds);
        now_ += milliseconds;
    }
    platform::LocalTime Local() override { return local; }

    void Advance(std::uint64_t milliseconds) { now_ += milliseconds; }

    platform::LocalTime local{2026, 3, 5, 9, 7, 30, 0};
    std::vector<std::uint32_t> sleeps;

private:
    std::uint64_t now_ = 1'000'000;
};

}  // namespace mivex::testing
