#pragma once

// What a vCard TEL is for, from its type tokens or, failing those, from the
// free-text label address books attach to it.

#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "contacts/contact_card.h"

namespace mivex::contacts {

// The kind the lower-cased type tokens of one TEL name ("cell", "fax",
// "x-evolution-radio", ...). When they name none, the label decides:
// "Mobile", "_$!<HomeFAX>!$_", "work fax". Unknown when neither does.
[[nodiscard]] PhoneKind ClassifyPhone(std::span<const std::string> typeTokens,
                                      std::optional<std::string_view> label = std::nullopt);

}  // namespace mivex::contacts
