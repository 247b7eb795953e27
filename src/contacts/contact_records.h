#pragma once

// Turning read cards into the contact and category records.

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "contacts/contact_card.h"
#include "contacts/contacts_database.h"

namespace mivex::contacts {

// Category ids are given 1, 2, 3 ... in order of first appearance; names are
// compared unit for unit. Ids must fit a signed 16-bit value, so names after
// the 32767th get none.
class CategoryTable {
public:
    // The name's id, given now when the name is new; none when the table is full.
    std::optional<std::int16_t> IdOf(std::u16string_view name);
    // One record per category, in id order.
    [[nodiscard]] std::vector<store::PropArray> Records() const;

private:
    std::map<std::u16string, std::int16_t, std::less<>> ids_;
    std::vector<std::u16string> names_;
};

// The records of one card. Each number goes to the first free slot of its
// kind (home and work have two); a number of no known kind counts as mobile
// when it is the card's only number, else as work. A number whose slots are
// taken starts a follow-on record with the same names and categories, so no
// number is lost. A card without any name and without any number gives none.
[[nodiscard]] std::vector<store::PropArray> ContactRecordsFromCard(const ContactCard& card,
                                                                   CategoryTable& categories);

}  // namespace mivex::contacts
