#pragma once

// The one place a run's link is chosen: the Port option names either a
// serial port (the AT link) or a modem ModemManager owns ("mm-<id>:", the
// ModemManager link). The runs see only phone::MessageLink.

#include <memory>

#include "phone/message_link.h"
#include "transfer/transfer_context.h"

namespace mivex::transfer {

// Opens the link the Port option names, telling the user each step. Null
// when it could not be opened; the user has been told why. The phone's lock
// in the data directory is held until the link is closed, and a phone
// another process holds is refused, naming it (see phone_lock.h). While a link is
// lent on this thread, the run gets that one instead, already open, and its
// Close leaves it open for its owner.
[[nodiscard]] std::unique_ptr<phone::MessageLink> OpenMessageLink(TransferContext& context);

// Lends `link` to the runs made on this thread while it lives: the watch
// running a run the user started keeps one connection to the phone.
class LendLink {
public:
    explicit LendLink(phone::MessageLink& link);
    ~LendLink();
    LendLink(const LendLink&) = delete;
    LendLink& operator=(const LendLink&) = delete;

private:
    phone::MessageLink* before_;
};

}  // namespace mivex::transfer
