#include "name_lookup_oracle.h"

#include <algorithm>

#include "contacts/contact_names.h"
#include "sms/dial_number.h"

namespace mivex::contacts::tests {

std::optional<ContactNameIndex::Match> ScanBestMatch(const ContactsDatabase& database,
                                                     std::u16string_view number) {
    std::u16string query(number), candidate;
    sms::FilterDialChars(query);
    std::optional<ContactNameIndex::Match> best;
    for (std::size_t position = 0; position < database.contacts.size(); ++position) {
        const store::PropArray& contact = database.contacts[position];
        std::size_t score = 0;
        for (const contact_prop::NumberSlot& slot : contact_prop::kNumberSlots) {
            if (const std::u16string* stored = store::FindPropString(contact, slot.property)) {
                sms::FilterDialChars(candidate = *stored);
                score = std::max(score, CountCommonTail(query, candidate));
            }
        }
        if (score >= kMinMatchingTail && (!best || score > best->score)) {
            best = ContactNameIndex::Match{position, score};
            if (score == query.size())
                break;  // nothing can beat the whole number
        }
    }
    return best;
}

std::u16string ScanContactName(const ContactsDatabase& database, std::u16string_view number) {
    const auto match = ScanBestMatch(database, number);
    return match ? ContactDisplayName(database.contacts[match->contact], NameOrder::FirstThenLast)
                 : u"";
}

}  // namespace mivex::contacts::tests
