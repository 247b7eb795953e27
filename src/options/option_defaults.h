#pragma once

// Each setting's default and range, in one place for the option dialogs, the
// phone link and mivex-cli. An absent setting reads as 0; where 0 is no
// usable value the connection takes the default here instead.

#include <array>
#include <cstdint>
#include <limits>

#include "options/option_ids.h"

namespace mivex::options {

struct IntegerRange {
    std::int32_t lowest = 0;
    std::int32_t highest = 1;

    [[nodiscard]] constexpr bool Holds(std::int32_t value) const {
        return value >= lowest && value <= highest;
    }
};

// The serial line. Stop bits: 0 one, 1 one and a half, 2 two. Flow control:
// 0 none, 1 hardware (RTS/CTS), 2 software (XON/XOFF).
inline constexpr std::int32_t kDefaultBaudRate = 19200;  // for an absent BaudRate
inline constexpr std::int32_t kDefaultDataBits = 8;      // for an absent DataBits
inline constexpr std::int32_t kOneStopBit = 0;
inline constexpr std::int32_t kNoFlowControl = 0;
inline constexpr std::int32_t kHardwareFlowControl = 1;
inline constexpr std::int32_t kSoftwareFlowControl = 2;
// The speeds Port setup offers, slowest first.
inline constexpr std::array<std::int32_t, 7> kOfferedBaudRates = {2400,  4800,  9600,  19200,
                                                                  38400, 57600, 115200};

// What Port setup's "Defaults" selects: the line nearly every phone wants.
// Hardware flow control is suggested, while an absent setting means none,
// which is what the link has always used for it.
struct SuggestedLine {
    std::int32_t baudRate = kDefaultBaudRate;
    std::int32_t dataBits = kDefaultDataBits;
    std::int32_t stopBits = kOneStopBit;
    std::int32_t flowControl = kHardwareFlowControl;
};
inline constexpr SuggestedLine kSuggestedLine{};

// The values a setting may be stored with (a text setting's range is empty):
// 0 or 1 for the on/off settings and NameOrder, ValidityPeriod 0-3, StopBits
// and FlowControl 0-2, DataBits 5-8, BaudRate from 1.
[[nodiscard]] constexpr IntegerRange RangeOf(Option option) {
    switch (option) {
        case Option::ValidityPeriod:
            return {0, 3};
        case Option::StopBits:
        case Option::FlowControl:
            return {0, 2};
        case Option::DataBits:
            return {5, 8};
        case Option::BaudRate:
            return {1, std::numeric_limits<std::int32_t>::max()};
        default:
            return {};
    }
}

// The line speed and data-bit count the connection uses for a stored value:
// 0 (absent) gives the defaults.
[[nodiscard]] constexpr std::int32_t EffectiveBaudRate(std::int32_t stored) {
    return stored == 0 ? kDefaultBaudRate : stored;
}
[[nodiscard]] constexpr std::int32_t EffectiveDataBits(std::int32_t stored) {
    return stored == 0 ? kDefaultDataBits : stored;
}

// Whether the window keeps a live connection to the phone: on unless the
// user turned it off, so an absent setting (a store from before it existed)
// is on.
[[nodiscard]] inline bool ReceivesAsTheyArrive(OptionReader& options) {
    std::int32_t stored = 0;
    return !options.ReadOption(Option::ReceiveAsTheyArrive, stored) || stored != 0;
}

}  // namespace mivex::options
