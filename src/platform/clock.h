#pragma once

// The one clock every wait of the program goes through. The real clock sleeps;
// the tests' clock moves virtual time, so the time-outs, settle waits and
// pauses of a transfer run in full without the tests waiting for them.

#include <chrono>
#include <cstdint>

namespace mivex::platform {

// Local wall-clock fields, as the records keep them (no zone step anywhere).
struct LocalTime {
    int year = 1601;
    int month = 1;
    int day = 1;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;
};

class Clock {
public:
    virtual ~Clock() = default;

    // Milliseconds on a monotonic count; only differences mean anything.
    [[nodiscard]] virtual std::uint64_t NowMs() = 0;
    virtual void SleepMs(std::uint32_t milliseconds) = 0;
    [[nodiscard]] virtual LocalTime Local() = 0;
};

// std::chrono::steady_clock, real sleeps and the machine's local time.
class SystemClock final : public Clock {
public:
    [[nodiscard]] std::uint64_t NowMs() override;
    void SleepMs(std::uint32_t milliseconds) override;
    [[nodiscard]] LocalTime Local() override;
};

// The process's system clock, for callers that are not handed one.
[[nodiscard]] Clock& DefaultClock();

}  // namespace mivex::platform
