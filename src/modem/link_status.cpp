#include "modem/link_status.h"

#include <algorithm>

#include "phone/phone_link.h"

namespace mivex::modem {

using platform::StatusBeep;
using platform::StatusColour;

void ShowLinkProgress(platform::StatusSink& status, std::u16string_view text) {
    status.ShowStatus(text.substr(0, std::min(text.size(), phone::kMaxStatusLineChars)),
                      StatusBeep::None, StatusColour::Blue);
}

std::unique_ptr<phone::MessageLink> FailToOpen(phone::LinkContext& link,
                                               platform::StatusSink& status, bool soundsOff,
                                               std::u16string_view text) {
    status.ShowStatus(text, soundsOff ? StatusBeep::None : StatusBeep::Stop, StatusColour::Red);
    link.clock.SleepMs(phone::kFailurePauseMs);
    return nullptr;
}

}  // namespace mivex::modem
