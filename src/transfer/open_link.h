#pragma once

// The one place a run's link is chosen: the Port option names either a
// serial port (the AT link) or a modem ModemManager owns ("mm-<id>:", the
// ModemManager link). The runs see only phone::MessageLink.

#include <memory>

#include "phone/message_link.h"
#include "transfer/transfer_context.h"

namespace mivex::transfer {

// Opens the link the Port option names, telling the user each step. Null
// when it could not be opened; the user has been told why.
[[nodiscard]] std::unique_ptr<phone::MessageLink> OpenMessageLink(TransferContext& context);

}  // namespace mivex::transfer
