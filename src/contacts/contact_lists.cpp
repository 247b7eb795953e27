#include "contacts/contact_lists.h"

#include <algorithm>
#include <cstdint>
#include <numeric>
#include <span>
#include <vector>

#include "contacts/contact_names.h"
#include "sms/dial_number.h"
#include "store/text_collation.h"

namespace mivex::contacts {
namespace {

using options::Option;

std::int32_t ReadFlag(options::OptionReader& options, Option option) {
    std::int32_t value = 0;
    (void)options.ReadOption(option, value);
    return value;
}

// Which category the contact list is narrowed to; none lists everyone.
std::optional<std::int16_t> ChosenCategory(platform::ComboControl& categoryList,
                                           const std::u16string& wanted) {
    const std::optional<std::size_t> found = categoryList.FindExact(wanted);
    if (!found || *found == 0)
        return std::nullopt;
    categoryList.SetCurrentIndex(*found);
    return static_cast<std::int16_t>(categoryList.ItemData(*found));
}

bool InCategory(std::span<const store::PropVal> contact, std::int16_t category) {
    // Ids are never negative when the book is read from vCards; a negative
    // one could only name an octet before the bitmap, so nobody is in it.
    if (category < 0)
        return false;
    const std::span<const std::uint8_t> bitmap =
        store::FindPropBlob(contact, contact_prop::kCategories);
    const std::size_t octet = static_cast<std::size_t>(category) / 8;
    const unsigned bit = static_cast<unsigned>(category) % 8;
    return octet < bitmap.size() && ((bitmap[octet] >> bit) & 1u) != 0;
}

struct EntryOptions {
    bool showAllNumbers = false;
    bool removeNumberTag = false;
    NameOrder order = NameOrder::FirstThenLast;
};

void AppendEntries(std::span<const store::PropVal> contact, const EntryOptions& options,
                   std::vector<std::u16string>& entries) {
    const std::u16string name = ContactDisplayName(contact, options.order);
    if (name.empty())
        return;
    for (const contact_prop::NumberSlot& slot : contact_prop::kNumberSlots) {
        if (!slot.alwaysListed && !options.showAllNumbers)
            continue;
        const std::u16string* stored = store::FindPropString(contact, slot.property);
        if (stored == nullptr)
            continue;
        std::u16string number = *stored;
        if (options.removeNumberTag)
            StripParentheses(number);
        sms::FilterDialChars(number);
        // An entry whose number filtered away is still listed, so the user
        // sees the contact and can tell why no number follows its name.
        std::u16string& entry = entries.emplace_back(name);
        entry += u',';
        entry += number;
        entry += slot.suffix;
    }
}

const store::TextCollator& EntryCollator() {
    static const store::TextCollator collator;
    return collator;
}

// The list shows entries in the order of the user's language, so the
// entries of one contact stand together under its name. Equal entries keep
// their stored order.
std::vector<std::size_t> CollatedOrder(const std::vector<std::u16string>& entries) {
    const store::TextCollator& collator = EntryCollator();
    std::vector<std::uint8_t> keys;
    std::vector<std::size_t> keyStarts;
    keyStarts.reserve(entries.size() + 1);
    // Room for every key at the collator's first guess, so that ten thousand
    // keys are not copied over and over as the vector grows.
    std::size_t room = 0;
    for (const std::u16string& entry : entries)
        room += entry.size() * 4 + 16;
    keys.reserve(room);
    for (const std::u16string& entry : entries) {
        keyStarts.push_back(keys.size());
        collator.AppendSortKey(entry, keys);
    }
    keyStarts.push_back(keys.size());

    auto key = [&](std::size_t index) {
        return std::span<const std::uint8_t>(keys.data() + keyStarts[index],
                                             keyStarts[index + 1] - keyStarts[index]);
    };
    std::vector<std::size_t> order(entries.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(), [&](std::size_t left, std::size_t right) {
        return std::ranges::lexicographical_compare(key(left), key(right));
    });
    return order;
}

}  // namespace

bool FillCategoryCombo(platform::ComboControl& categoryList, const ContactsDatabase* database) {
    categoryList.Reset();
    categoryList.InsertItem(0, kAllCategories);
    categoryList.SetItemData(0, 0);
    categoryList.SetCurrentIndex(0);
    if (database == nullptr)
        return false;

    for (const store::PropArray& category : database->categories) {
        const std::u16string* name = store::FindPropString(category, category_prop::kName);
        // An item without text could be chosen but never found again by name.
        if (name == nullptr || name->empty())
            continue;
        const std::size_t index = categoryList.AddItem(*name);
        categoryList.SetItemData(index, store::FindPropI2(category, category_prop::kId));
    }
    return true;
}

bool FillContactCombo(platform::ComboControl& contactList, platform::ComboControl& categoryList,
                      const ContactsDatabase* database, options::OptionReader& options) {
    EntryOptions entryOptions;
    entryOptions.showAllNumbers = ReadFlag(options, Option::ShowAllContactNumbers) != 0;
    entryOptions.order = ReadFlag(options, Option::NameOrder) == 1 ? NameOrder::LastThenFirst
                                                                   : NameOrder::FirstThenLast;
    entryOptions.removeNumberTag = ReadFlag(options, Option::RemoveNumberTag) != 0;

    std::u16string wanted(kAllCategories);
    if (const std::optional<std::size_t> current = categoryList.CurrentIndex()) {
        std::u16string text = categoryList.ItemText(*current);
        if (!text.empty())
            wanted = std::move(text);
    }
    (void)FillCategoryCombo(categoryList, database);
    const std::optional<std::int16_t> category = ChosenCategory(categoryList, wanted);

    contactList.Reset();
    contactList.SetRedraw(false);
    if (database == nullptr) {
        contactList.SetRedraw(true);
        return false;
    }

    std::vector<std::u16string> entries;
    entries.reserve(database->contacts.size());
    for (const store::PropArray& contact : database->contacts) {
        if (category && !InCategory(contact, *category))
            continue;
        AppendEntries(contact, entryOptions, entries);
    }
    // Each entry goes once the list has its copy, so that a big address book
    // is not held twice at the end of the fill.
    for (std::size_t index : CollatedOrder(entries)) {
        contactList.AddItem(entries[index]);
        std::u16string().swap(entries[index]);
    }

    contactList.SetRedraw(true);
    if (contactList.Count() > 0)
        contactList.SetCurrentIndex(0);
    return true;
}

bool ContactEntryToRecipient(std::u16string& entry) {
    const std::size_t first = entry.find(u',');
    if (first == std::u16string::npos)
        return false;
    const std::size_t second = entry.find(u',', first + 1);
    if (second == std::u16string::npos)
        return false;
    entry.resize(second);
    return true;
}

std::size_t StripParentheses(std::u16string& number) {
    std::size_t open = number.find(u'(');
    while (open != std::u16string::npos) {
        const std::size_t close = number.find(u')', open + 1);
        if (close != std::u16string::npos) {
            number.erase(open, close - open + 1);
            open = number.find(u'(', open);
        } else {
            open = number.find(u'(', open + 1);
        }
    }
    return number.size();
}

}  // namespace mivex::contacts
