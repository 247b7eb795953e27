#pragma once

// Storing a PDU read from the phone as a new Inbox record.

#include <cstdint>
#include <span>

#include "sms/deliver_decoder.h"
#include "store/folder.h"
#include "store/inbox_maintenance.h"

namespace mivex::store {

struct StoredDeliver {
    sms::DecodeStatus status;  // what the decoder made of the PDU
    ObjectId id = 0;           // the record written, 0 when none was
    bool whole = false;        // a record of a whole message was written
};

// Decodes the PDU and writes its record (Unread 1, names empty). The receive
// run needs to know whether a record was written at all, not only whether it
// was a whole message, so that it deletes from the phone only what is stored.
//
// With `names`, a whole message is written named already, as FillSenderNames
// would name it: a message that arrives on its own is then on disk in one
// write instead of two.
StoredDeliver StoreDeliverPdu(std::span<const std::uint8_t> pdu, Folder& inbox,
                              const ContactNameLookup* names = nullptr);

// Writes the record of a message the link decoded itself, as StoreDeliverPdu
// writes a decoded one.
StoredDeliver StoreDeliverMessage(const sms::DeliverMessage& message, Folder& inbox,
                                  const ContactNameLookup* names = nullptr);

// 1 when a record of a whole message was written, else 0.
int DecodeDeliverPdu(std::span<const std::uint8_t> pdu, Folder& inbox);

}  // namespace mivex::store
