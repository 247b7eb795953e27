#include "platform/clock.h"

#include <ctime>
#include <thread>

namespace mivex::platform {

std::uint64_t SystemClock::NowMs() {
    const auto since = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<std::uint64_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(since).count());
}

void SystemClock::SleepMs(std::uint32_t milliseconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

LocalTime SystemClock::Local() {
    const auto now = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    std::tm fields{};
    localtime_r(&seconds, &fields);
    const auto sinceSecond = now - std::chrono::system_clock::from_time_t(seconds);
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(sinceSecond).count();
    return LocalTime{fields.tm_year + 1900,
                     fields.tm_mon + 1,
                     fields.tm_mday,
                     fields.tm_hour,
                     fields.tm_min,  // leap seconds (tm_sec 60) fold into 59
                     fields.tm_sec > 59 ? 59 : fields.tm_sec,
                     static_cast<int>(ms % 1000)};
}

Clock& DefaultClock() {
    static SystemClock clock;
    return clock;
}

}  // namespace mivex::platform
