#pragma once

// The lines `list` prints: one message per line, its fields tab-separated and
// made safe for that as the export makes them.

#include <optional>
#include <span>
#include <string>

#include "store/property.h"

namespace mivex::tools {

enum class ListedFolder { Inbox, Outbox, Sent };

// time TAB number TAB name TAB text, for Sent then TAB and the delivery
// column (see store::DeliveryColumn), with line breaks and tabs inside a field
// turned into spaces; nothing for a record of the wrong shape for `folder`.
[[nodiscard]] std::optional<std::u16string> MessageLine(ListedFolder folder,
                                                        std::span<const store::PropVal> props);

}  // namespace mivex::tools
