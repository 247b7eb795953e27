#pragma once

// The name lookup as a plain scan over the contacts in stored order, one
// step at a time: the reference the indexed lookup must agree with.

#include <optional>
#include <string>
#include <string_view>

#include "contacts/contacts_database.h"
#include "contacts/name_lookup.h"

namespace mivex::contacts::tests {

// The contact the scan settles on for an unfiltered number, and its score.
[[nodiscard]] std::optional<ContactNameIndex::Match> ScanBestMatch(const ContactsDatabase& database,
                                                                   std::u16string_view number);

// The name the scan gives, "" when none.
[[nodiscard]] std::u16string ScanContactName(const ContactsDatabase& database,
                                             std::u16string_view number);

}  // namespace mivex::contacts::tests
