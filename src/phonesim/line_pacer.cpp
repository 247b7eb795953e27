#include "phonesim/line_pacer.h"

#include <algorithm>
#include <limits>

namespace mivex::phonesim {

using std::chrono::nanoseconds;

LinePacer::Clock::time_point LinePacer::DueTime(std::uint64_t byteIndex) const {
    const long double offset = static_cast<long double>(byteIndex) * kBitsPerByte * 1e9L /
                               static_cast<long double>(baudRate_);
    return start_ + std::chrono::duration_cast<Clock::duration>(
                        nanoseconds(static_cast<nanoseconds::rep>(offset)));
}

void LinePacer::Start(Clock::time_point now) {
    if (!Paced() || now >= DueTime(sent_)) {
        start_ = now;
        sent_ = 0;
    }
}

std::size_t LinePacer::Allowance(Clock::time_point now) const {
    if (!Paced()) {
        return std::numeric_limits<std::size_t>::max();
    }
    if (now < start_) {
        return 0;
    }
    const long double elapsed =
        static_cast<long double>(std::chrono::duration_cast<nanoseconds>(now - start_).count());
    const auto due = static_cast<std::uint64_t>(elapsed * baudRate_ / (kBitsPerByte * 1e9L)) + 1;
    return due > sent_ ? static_cast<std::size_t>(due - sent_) : 0;
}

LinePacer::Clock::duration LinePacer::WaitBeforeNext(Clock::time_point now) const {
    if (!Paced()) {
        return Clock::duration::zero();
    }
    const Clock::time_point due = DueTime(sent_);
    return due > now ? due - now : Clock::duration::zero();
}

LinePacer::Clock::duration LinePacer::WaitBeforeBatch(Clock::time_point now,
                                                      std::size_t waiting) const {
    if (!Paced() || waiting == 0) {
        return WaitBeforeNext(now);
    }
    const Clock::time_point next = DueTime(sent_);
    if (next <= now) {
        return Clock::duration::zero();
    }
    return std::min(next + kPacingBatch, DueTime(sent_ + waiting - 1)) - now;
}

}  // namespace mivex::phonesim
