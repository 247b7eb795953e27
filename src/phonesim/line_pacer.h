#pragma once

// Pacing of a slow serial line: at a given baud rate a byte takes ten bit
// times (start bit, eight data bits, stop bit), and the simulated phone
// neither sends nor takes bytes faster than that, one pacer per direction.
// The pacer is pure arithmetic over time points it is given, so its tests
// need no clock.

#include <chrono>
#include <cstddef>
#include <cstdint>

namespace mivex::phonesim {

inline constexpr int kBitsPerByte = 10;

// A write per byte would wake the other side of the pseudo-terminal for every
// byte and cost more processor time than the simulated line is worth, so the
// bytes of a burst go in batches about this far apart; the last byte of what
// is waiting still goes when it is due.
inline constexpr std::chrono::microseconds kPacingBatch{1000};

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

    // How long until `waiting` bytes are worth a write: zero when the next
    // one is due already, else a batch interval after it is due or, when that
    // comes first, the moment the last of them is due.
    [[nodiscard]] Clock::duration WaitBeforeBatch(Clock::time_point now, std::size_t waiting) const;

private:
    [[nodiscard]] Clock::time_point DueTime(std::uint64_t byteIndex) const;

    int baudRate_;
    Clock::time_point start_{};
    std::uint64_t sent_ = 0;
};

}  // namespace mivex::phonesim
