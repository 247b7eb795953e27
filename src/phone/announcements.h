#pragma once

// The phone's side of announcements on the AT link: what AT+CNMI=? offers,
// the setting chosen from it, and the +CMTI / +CDSI lines that follow.

#include <optional>
#include <string>
#include <string_view>

#include "phone/message_link.h"

namespace mivex::phone {

// The AT+CNMI command that has stored messages announced with +CMTI (and
// stored reports with +CDSI where offered), chosen from the answer to
// AT+CNMI=?, e.g. "+CNMI: (0-2),(0-3),(0,2),(0-2),(0,1)". Announcements
// buffered while a command runs are preferred over ones dropped then.
// Nothing when the phone does not offer +CMTI.
[[nodiscard]] std::optional<std::string> ChooseIndicationCommand(std::string_view testAnswer);

// `+CMTI: "ME",3` or `+CDSI: "SR",1`, line end already taken off. Nothing
// for any other line.
[[nodiscard]] std::optional<Announcement> ParseAnnouncement(std::string_view line);

}  // namespace mivex::phone
