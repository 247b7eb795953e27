#pragma once

// Naming a received number from the address book: the contact with the
// longest run of equal trailing dial characters wins, so "+447700900123"
// finds a contact saved as "07700 900123". At least 7 characters must agree;
// among equally good contacts the first in stored order wins.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "contacts/contacts_database.h"
#include "sms/dial_number.h"
#include "store/inbox_maintenance.h"

namespace mivex::contacts {

// Queries shorter than this, and scores below it, never match. The rule is
// the codec's, so that delivery reports find their sent messages as senders
// find their contacts.
using sms::CountCommonTail;
using sms::kMinMatchingTail;

// An index over every contact's dial-filtered numbers, built once per
// address book, that answers a lookup without scanning the contacts. It
// keeps a reference to the database, which must outlive it.
class ContactNameIndex {
public:
    explicit ContactNameIndex(const ContactsDatabase& database);
    ~ContactNameIndex();
    ContactNameIndex(ContactNameIndex&&) noexcept;
    ContactNameIndex& operator=(ContactNameIndex&&) noexcept;

    // The stored position of the best-matching contact and its score; none
    // when no contact scores kMinMatchingTail or more.
    struct Match {
        std::size_t contact;
        std::size_t score;
    };
    [[nodiscard]] std::optional<Match> BestMatch(std::u16string_view filteredNumber) const;

    [[nodiscard]] const ContactsDatabase& database() const { return *database_; }

    // What the index holds on the heap, roughly, in bytes.
    [[nodiscard]] std::size_t MemoryBytes() const;

private:
    struct Table;
    const ContactsDatabase* database_;
    std::unique_ptr<Table> table_;
};

// Writes the best-matching contact's name ("first last", or its first
// fall-back name; NameOrder does not apply) into `name`, or empties it.
// Returns the name's length: 0 for no match, a match without any name, a
// number with fewer than 7 dial characters, or no address book (`index` null).
std::size_t LookupContactName(std::u16string& name, std::u16string_view number,
                              const ContactNameIndex* index);

// The lookup the Inbox's sender naming takes; `index` must outlive it.
[[nodiscard]] store::ContactNameLookup ContactNameLookupFor(const ContactNameIndex* index);

}  // namespace mivex::contacts
