#pragma once

// The names a contact record is shown and looked up under.

#include <cstdint>
#include <span>
#include <string>

#include "contacts/contacts_database.h"
#include "store/property.h"

namespace mivex::contacts {

enum class NameOrder : std::int32_t { FirstThenLast = 0, LastThenFirst = 1 };

// First and last name in the given order, one space between them only when
// both are there; when that is empty, the first non-empty fall-back name;
// empty when the contact has no name at all.
[[nodiscard]] std::u16string ContactDisplayName(std::span<const store::PropVal> contact,
                                                NameOrder order);

}  // namespace mivex::contacts
