#pragma once

// ModemManager's Sms objects as libmm-glib proxies, made for many paths at
// once, and the properties a receive reads from one.

#include <libmm-glib.h>

#include <string>
#include <vector>

#include "modem/glib_call.h"
#include "modem/modem_message.h"
#include "modem/modem_session.h"

namespace mivex::modem {

// Whether a proxy follows its object's changes: one read once needs no
// signals; one whose parts are still coming is followed until it is whole.
enum class SmsSignals { Ignored, Followed };

// The Sms objects at `paths` of `messaging`'s modem with their properties,
// read all at once so that the round trips overlap. One that went meanwhile
// comes as null. Empty with `timedOut` set when ModemManager did not answer.
[[nodiscard]] std::vector<GObjectPtr<MMSms>> SmsObjects(const ModemSession& session,
                                                        MMModemMessaging* messaging,
                                                        const std::vector<std::string>& paths,
                                                        SmsSignals signals, bool& timedOut);

[[nodiscard]] ModemSms FieldsOf(MMSms* sms);

}  // namespace mivex::modem
