#pragma once

// Contact records written out as (property, text) pairs, for tests that need
// an address book without going through vCard files.

#include <cstdint>
#include <initializer_list>
#include <string_view>
#include <utility>
#include <vector>

#include "contacts/contacts_database.h"

namespace mivex::contacts::tests {

using Strings = std::initializer_list<std::pair<std::uint16_t, std::u16string_view>>;

// `categories` is the category bitmap, left out when empty.
inline store::PropArray Contact(Strings strings, std::vector<std::uint8_t> categories = {}) {
    store::PropArray props;
    for (const auto& [property, text] : strings)
        props.push_back(store::PropVal::String(property, text));
    if (!categories.empty())
        props.push_back(store::PropVal::Blob(contact_prop::kCategories, categories));
    return props;
}

}  // namespace mivex::contacts::tests
