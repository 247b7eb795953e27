#pragma once

// What the TP-Status of a status report (GSM 03.40) means for the message it
// reports on: bits 6-5 give the class, the low bits the reason.

#include <string_view>

namespace mivex::sms {

enum class DeliveryState {
    Delivered,  // the transaction is complete: delivered, forwarded or replaced
    Trying,     // a temporary error; the service centre keeps trying, a later report follows
    Failed,     // a permanent error, or a temporary one the service centre gave up on
};

// 0x00 to 0x1F Delivered (0x03 to 0x1F are reserved or the service centre's
// own values in the completed class), 0x20 to 0x3F Trying, 0x40 to 0x7F
// Failed; the reserved values from 0x80 count as Failed, since nothing says
// the message arrived.
[[nodiscard]] DeliveryState ClassifyReportStatus(int status);

// A few words on why a message was not delivered, or is not yet:
// "validity period expired", "recipient busy". A status with no words of its
// own gets those of its class.
[[nodiscard]] std::u16string_view DeliveryReason(int status);

}  // namespace mivex::sms
