#pragma once

// The ModemManager link: a modem ModemManager owns, reached through its
// Messaging interface with libmm-glib. ModemManager reads, decodes and joins
// messages and segments and sends them itself, so a receive reads one store
// of whole messages and a send hands over one number and text. The link lives
// in a module opened on the first run that needs it (modem_module.h), so
// that runs over a serial port never load libmm-glib.

#include <memory>
#include <string>

#include "modem/modem_timeouts.h"
#include "options/option_ids.h"
#include "phone/message_link.h"
#include "phone/serial_line.h"
#include "platform/status_sink.h"

namespace mivex::modem {

inline constexpr std::u16string_view kNotRunningText =
    u"ModemManager is not running - start it, or choose a serial port in Options!  ";
inline constexpr std::u16string_view kModemNotFoundText =
    u"Modem not found - plug it in, or choose it again in Options!  ";
inline constexpr std::u16string_view kNoMessagingText =
    u"This modem offers no messaging through ModemManager!  ";
inline constexpr std::u16string_view kNotInstalledText =
    u"ModemManager support is not installed - choose a serial port in Options!  ";
inline constexpr std::u16string_view kModemGoneText = u"The modem or ModemManager went away";

// The one store a receive reads through ModemManager.
inline constexpr std::string_view kModemStore = "MM";
// The store announcements name: the messages the last wait announced, in
// order. Never part of a full receive.
inline constexpr std::string_view kAnnouncedStore = "MM new";

// Shows "Opening <port>" and plays the start sound unless SoundsOff, then
// opens the module (kNotInstalledText when it cannot be) and connects to
// ModemManager, finds the modem `modemId` names and checks that
// its SIM is ready and that it has the Messaging interface, and shows
// "ModemManager <maker model> OK". On any failure shows why in red with the
// stop beep (none with SoundsOff), pauses phone::kFailurePauseMs and returns
// null.
[[nodiscard]] std::unique_ptr<phone::MessageLink> OpenModemLink(phone::LinkContext& link,
                                                                options::OptionReader& options,
                                                                platform::StatusSink& status,
                                                                const std::string& modemId,
                                                                ModemTimeouts timeouts = {});

}  // namespace mivex::modem
