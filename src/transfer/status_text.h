#pragma once

// How the runs put their progress texts together and show them.

#include <string>
#include <string_view>

#include "platform/status_sink.h"

namespace mivex::transfer {

// A progress text: blue, without a beep.
inline void ShowProgress(platform::StatusSink& status, std::u16string_view text) {
    status.ShowStatus(text, platform::StatusBeep::None, platform::StatusColour::Blue);
}

// The text with a decimal count inside, as printf's "%d" would write it.
[[nodiscard]] inline std::u16string WithNumber(std::u16string_view before, int number,
                                               std::u16string_view after = {}) {
    std::u16string text(before);
    for (const char digit : std::to_string(number)) {
        text.push_back(static_cast<char16_t>(digit));
    }
    text.append(after);
    return text;
}

}  // namespace mivex::transfer
