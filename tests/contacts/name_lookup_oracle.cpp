#include "name_lookup_oracle.h"

#include <algorithm>

#include "contacts/contact_names.h"
#include "sms/dial_number.h"

namespace mivex::contacts::tests {

std::optional<ContactNameIndex::Match> ScanBestMatch(const ContactsDatabase& database,
                                                     std::u16string_view number) {
    std::u16string query(number);
    sms::FilterDialChars(query);
    if (query.size() < kMinMatchingTail)
        return std::nullopt;

    std::size_t best = 0;
    std::optional<std::size_t> bestContact;
    std::u16string candidate;
    for (std::size_t position = 0; position < database.contacts.size(); ++position) {
        std::size_t score = 0;
        for (const contact_prop::NumberSlot& slot : contact_prop::kNumberSlots) {
            const std::u16string* stored =
                store::FindPropString(database.contacts[position], slot.property);
            if (stored == nullptr)
                continue;
            candidate = *stored;
            sms::FilterDialChars(candidate);
            score = std::max(score, CountCommonTail(query, candidate));
        }
        if (score > best) {
            best = score;
            bestContact = position;
            if (score == query.size())
                break;
        }
    }
    if (best < kMinMatchingTail)
        return std::nullopt;
    return ContactNameIndex::Match{*bestContact, best};
}

std::u16string ScanContactName(const ContactsDatabase& database, std::u16string_view number) {
    const std::optional<ContactNameIndex::Match> match = ScanBestMatch(database, number);
    if (!match)
        return {};
    return ContactDisplayName(database.contacts[match->contact], NameOrder::FirstThenLast);
}

}  // namespace mivex::contacts::tests
