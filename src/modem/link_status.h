#pragma once

// The status texts of opening the ModemManager link, shared by the program
// side and the module so that both speak alike.

#include <memory>
#include <string_view>

#include "phone/message_link.h"
#include "phone/serial_line.h"
#include "platform/status_sink.h"

namespace mivex::modem {

// `text` in blue, cut to what the status line holds.
void ShowLinkProgress(platform::StatusSink& status, std::u16string_view text);

// Shows `text` in red with the stop beep (none with `soundsOff`), pauses
// phone::kFailurePauseMs and returns null.
[[nodiscard]] std::unique_ptr<phone::MessageLink> FailToOpen(phone::LinkContext& link,
                                                             platform::StatusSink& status,
                                                             bool soundsOff,
                                                             std::u16string_view text);

}  // namespace mivex::modem
