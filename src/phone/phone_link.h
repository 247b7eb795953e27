#pragma once

// The one way a transfer gets a working connection to the phone: read the
// line settings from the options, open and configure the port, and bring the
// phone into the state every exchange assumes (result codes as words, no echo,
// plain "ERROR", GSM character set, PDU mode), telling the user each step.

#include <string_view>

#include "options/option_ids.h"
#include "phone/serial_line.h"
#include "platform/status_sink.h"

namespace mivex::phone {

// The status line never grows past this many characters; a long port name or
// manufacturer word is cut to fit.
inline constexpr std::size_t kMaxStatusLineChars = 99;
// The least time between starting the connection and configuring the port,
// for phones that need a moment after their port opens.
inline constexpr std::uint32_t kSettleMs = 1000;
// How long each line-settings text stands in trace mode, and how long a
// failure text stands before the caller goes on.
inline constexpr std::uint32_t kTraceTextMs = 1000;
inline constexpr std::uint32_t kFailurePauseMs = 1000;

inline constexpr std::u16string_view kFailedConnectText =
    u"Failed connect - Check options and phone settings!  ";
inline constexpr std::u16string_view kFailedSetupText =
    u"Failed setup - Check options and phone settings!  ";

// Shows "Opening <port>", plays the start sound unless SoundsOff, waits the
// settle time (in trace mode shows the speed and flow-control texts a second
// each instead), opens and configures the port, then sends ATV1, ATE0,
// AT+CMEE=0, AT+CSCS="GSM", AT+CMGF=0 and shows "Initializing " with a mark
// per command ("1".."5" on OK, "." on failure), then AT+CGMI and the
// manufacturer's first word, then " OK". Progress texts are blue.
//
// Then the SIM card is made ready (see MakeSimReady): asked for its state,
// unlocked with the PIN the link's prompter gives, waited for.
//
// Returns the open, purged port when at least one of the five commands was
// answered with OK and the SIM is ready; the caller owns it. Otherwise shows
// in red with the stop beep (no beep with SoundsOff) why: kFailedConnectText
// when the port would not open (who holds it when it is busy, see
// BusyPortText; what to do when this user may not open it), kFailedSetupText
// when no command was answered, or the SIM's text; then pauses
// kFailurePauseMs and returns an invalid handle, the port closed.
[[nodiscard]] PortHandle OpenPhoneLink(LinkContext& link, options::OptionReader& options,
                                       platform::StatusSink& status);

}  // namespace mivex::phone
