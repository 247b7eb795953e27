#pragma once

// The compose view's two drop-down lists: the categories, and the recipient
// box's list of contact entries, "display name,number,kind" (for example
// "Ann Lee,+447700900123,M"), one per listed number, sorted by the whole
// text. The entry format has no escaping: a comma in a name shifts the fields.

#include <string>

#include "contacts/contacts_database.h"
#include "options/option_ids.h"
#include "platform/combo_control.h"

namespace mivex::contacts {

inline constexpr std::u16string_view kAllCategories = u"All Categories";

// Empties the list, puts "All Categories" (datum 0) first and selects it,
// then adds every named category in stored order with its id as the datum.
// False when there is no address book (`database` null).
[[nodiscard]] bool FillCategoryCombo(platform::ComboControl& categoryList,
                                     const ContactsDatabase* database);

// Refills the category list keeping its current category (or "All
// Categories" when that is gone), then fills the contact list with the
// entries of the contacts of that category, as the options NameOrder,
// ShowAllContactNumbers and RemoveNumberTag say, and selects the first.
// False when there is no address book; the contact list is then empty.
[[nodiscard]] bool FillContactCombo(platform::ComboControl& contactList,
                                    platform::ComboControl& categoryList,
                                    const ContactsDatabase* database,
                                    options::OptionReader& options);

// Cuts a contact entry before its second comma, leaving "name,number".
// False (text unchanged) when it has fewer than two commas.
bool ContactEntryToRecipient(std::u16string& entry);

// Removes every "(...)" group: a group ends at the first ")" after its "(",
// and a "(" with no ")" after it stays. Returns the new length.
std::size_t StripParentheses(std::u16string& number);

}  // namespace mivex::contacts
