#include "contacts/name_lookup.h"

#include <algorithm>
#include <bit>
#include <limits>

#include "contacts/contact_names.h"
#include "sms/dial_number.h"

namespace mivex::contacts {

// Counting a common tail is counting a common prefix of the reversed texts,
// so the index keeps every distinct dial-filtered number reversed, in sorted
// order, with the lowest stored position of a contact that has it. For a
// reversed query the longest common prefix with any number is found beside
// the query's place in that order, and the numbers sharing that prefix form
// one run; the lowest position over the run is the contact the scan would
// settle on, since it only gives way to a strictly higher score. A sparse
// table answers that minimum in constant time at n log n positions of
// memory; a trie would need a node per character, several times larger and
// scattered over the heap.
struct ContactNameIndex::Table {
    struct Number {
        std::uint32_t offset;   // into `units`
        std::uint32_t length;   // in UTF-16 units
        std::uint32_t contact;  // lowest stored position holding this number
    };

    std::u16string units;  // every reversed number, one after another
    std::vector<Number> numbers;
    // lowest[level][i]: the lowest position among numbers[i, i + 2^level).
    std::vector<std::vector<std::uint32_t>> lowest;

    [[nodiscard]] std::u16string_view Text(const Number& number) const {
        return std::u16string_view(units).substr(number.offset, number.length);
    }

    [[nodiscard]] std::uint32_t LowestIn(std::size_t begin, std::size_t end) const {
        const unsigned level = static_cast<unsigned>(std::bit_width(end - begin)) - 1;
        const std::size_t span = std::size_t{1} << level;
        return std::min(lowest[level][begin], lowest[level][end - span]);
    }

    void Collect(const ContactsDatabase& database);
    void SortDistinct();
    void BuildLowest();
};

namespace {

std::size_t CommonPrefix(std::u16string_view a, std::u16string_view b) {
    const std::size_t shorter = std::min(a.size(), b.size());
    return static_cast<std::size_t>(
        std::mismatch(a.begin(), a.begin() + static_cast<std::ptrdiff_t>(shorter), b.begin())
            .first -
        a.begin());
}

}  // namespace

void ContactNameIndex::Table::Collect(const ContactsDatabase& database) {
    // Positions are kept in 32 bits; an address book that large could not
    // be held in memory as records anyway.
    const std::size_t contacts =
        std::min<std::size_t>(database.contacts.size(), std::numeric_limits<std::uint32_t>::max());
    std::u16string number;
    for (std::size_t position = 0; position < contacts; ++position) {
        for (const contact_prop::NumberSlot& slot : contact_prop::kNumberSlots) {
            const std::u16string* stored =
                store::FindPropString(database.contacts[position], slot.property);
            if (stored == nullptr)
                continue;
            number = *stored;
            sms::FilterDialChars(number);
            // An empty number shares no tail with anything.
            if (number.empty())
                continue;
            numbers.push_back({static_cast<std::uint32_t>(units.size()),
                               static_cast<std::uint32_t>(number.size()),
                               static_cast<std::uint32_t>(position)});
            units.append(number.rbegin(), number.rend());
        }
    }
}

void ContactNameIndex::Table::SortDistinct() {
    std::sort(numbers.begin(), numbers.end(), [&](const Number& left, const Number& right) {
        const int order = Text(left).compare(Text(right));
        return order != 0 ? order < 0 : left.contact < right.contact;
    });
    // The first of equal numbers has the lowest position: keep only it.
    const auto repeated =
        std::unique(numbers.begin(), numbers.end(),
                    [&](const Number& a, const Number& b) { return Text(a) == Text(b); });
    numbers.erase(repeated, numbers.end());
    numbers.shrink_to_fit();
}

void ContactNameIndex::Table::BuildLowest() {
    const std::size_t count = numbers.size();
    if (count == 0)
        return;
    std::vector<std::uint32_t>& first = lowest.emplace_back(count);
    for (std::size_t i = 0; i < count; ++i)
        first[i] = numbers[i].contact;
    for (std::size_t span = 2; span <= count; span *= 2) {
        const std::vector<std::uint32_t>& below = lowest.back();
        std::vector<std::uint32_t> level(count - span + 1);
        for (std::size_t i = 0; i < level.size(); ++i)
            level[i] = std::min(below[i], below[i + span / 2]);
        lowest.push_back(std::move(level));
    }
}

ContactNameIndex::ContactNameIndex(const ContactsDatabase& database)
    : database_(&database), table_(std::make_unique<Table>()) {
    table_->Collect(database);
    table_->SortDistinct();
    table_->BuildLowest();
}

ContactNameIndex::~ContactNameIndex() = default;
ContactNameIndex::ContactNameIndex(ContactNameIndex&&) noexcept = default;
ContactNameIndex& ContactNameIndex::operator=(ContactNameIndex&&) noexcept = default;

std::optional<ContactNameIndex::Match> ContactNameIndex::BestMatch(
    std::u16string_view filteredNumber) const {
    if (filteredNumber.size() < kMinMatchingTail || table_->numbers.empty())
        return std::nullopt;
    const std::u16string reversed(filteredNumber.rbegin(), filteredNumber.rend());
    const std::vector<Table::Number>& numbers = table_->numbers;
    auto textOf = [this](const Table::Number& number) { return table_->Text(number); };

    // Sorted order puts the numbers sharing the longest prefix with the
    // query right beside the place the query would go.
    auto before = [&](const Table::Number& number, std::u16string_view text) {
        return textOf(number) < text;
    };
    const auto place =
        std::lower_bound(numbers.begin(), numbers.end(), std::u16string_view(reversed), before);
    std::size_t score = 0;
    if (place != numbers.end())
        score = CommonPrefix(reversed, textOf(*place));
    if (place != numbers.begin())
        score = std::max(score, CommonPrefix(reversed, textOf(*std::prev(place))));
    if (score < kMinMatchingTail)
        return std::nullopt;

    const std::u16string_view tail = std::u16string_view(reversed).substr(0, score);
    const auto begin = std::lower_bound(numbers.begin(), numbers.end(), tail, before);
    const auto end = std::partition_point(begin, numbers.end(), [&](const Table::Number& number) {
        return textOf(number).starts_with(tail);
    });
    const std::uint32_t contact =
        table_->LowestIn(static_cast<std::size_t>(begin - numbers.begin()),
                         static_cast<std::size_t>(end - numbers.begin()));
    return Match{contact, score};
}

std::size_t ContactNameIndex::MemoryBytes() const {
    std::size_t bytes = sizeof(Table) + table_->units.capacity() * sizeof(char16_t) +
                        table_->numbers.capacity() * sizeof(Table::Number);
    for (const std::vector<std::uint32_t>& level : table_->lowest)
        bytes += sizeof(level) + level.capacity() * sizeof(std::uint32_t);
    return bytes;
}

std::size_t LookupContactName(std::u16string& name, std::u16string_view number,
                              const ContactNameIndex* index) {
    name.clear();
    std::u16string query(number);
    sms::FilterDialChars(query);
    if (query.size() < kMinMatchingTail || index == nullptr)
        return 0;
    const std::optional<ContactNameIndex::Match> match = index->BestMatch(query);
    if (!match)
        return 0;
    // The best contact names the sender or nobody does: a nameless best
    // match does not hand the number to a worse one.
    name = ContactDisplayName(index->database().contacts[match->contact], NameOrder::FirstThenLast);
    return name.size();
}

store::ContactNameLookup ContactNameLookupFor(const ContactNameIndex* index) {
    return [index](std::u16string_view number) -> std::optional<std::u16string> {
        std::u16string name;
        if (LookupContactName(name, number, index) == 0)
            return std::nullopt;
        return name;
    };
}

}  // namespace mivex::contacts
