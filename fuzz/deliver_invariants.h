#pragma once

#include "sms/deliver_decoder.h"

namespace mivex::fuzz {

// Aborts when a decoded SMS-DELIVER breaks a rule that holds whatever octets
// came from the phone: texts within their working sizes, consistent
// concatenation fields, a fresh record's defaults and a real time stamp.
void CheckDeliverInvariants(const sms::DeliverDecodeResult& result);

}  // namespace mivex::fuzz
