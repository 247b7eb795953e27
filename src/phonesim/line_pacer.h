#pragma once

// Pacing of a slow serial line: at a given baud rate a byte takes ten bit
// times (start bit, eight data bits, stop bit), and the simulated phone sends
// no faster than that. The pacer is pure arithmetic over time points it is
// given, so its tests need no clock.

#include <chrono>
#include <cstddef>
#include <cstdint>

namespace mivex::phonesim {

inline constexpr int kBitsPerByte = 10;

class LinePacer {
public:
    using Clock = std::chrono::steady_clock;

    // A baud rate of 0 or below means no pacing: everything may go at once.
    explicit LinePacer(int baudRate) : baudRate_(baudRate) {}

    [[nodiscard]] bool Paced() const { return baudRate_ > 0; }

    // Output became pending at `now`. A line that has gone quiet starts a new
    // burst; one still sending earlier bytes goes on with them, so an idle
    // pause never earns credit for a later burst.
    void Start(Clock::time_point now);

    // How many bytes may go at `now`: byte k of a burst may go k byte times after its start.
    [[nodiscard]] std::size_t Allowance(Clock::time_point now) const;

    void Sent(std::size_t count) { sent_ += count; }

    // How long until the next byte may go; zero when it may go now.
    [[nodiscard]] Clock::duration WaitBeforeNext(Clock::time_point now) const;

private:
    [[nodiscard]] Clock::time_point DueTime(std::uint64_t byteIndex) const;

    int baudRate_;
    Clock::time_point start_{};
    std::uint64_t sent_ = 0;
};

}  // namespace mivex::phonesim
