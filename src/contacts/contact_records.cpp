#include "contacts/contact_records.h"

#include <algorithm>
#include <array>
#include <limits>
#include <map>
#include <span>

namespace mivex::contacts {
namespace {

using store::PropArray;
using store::PropVal;

// The number properties each kind of number may fill, in the order they are filled.
std::span<const std::uint16_t> SlotsOf(PhoneKind kind) {
    using namespace contact_prop;
    static constexpr std::array<std::uint16_t, 1> mobile{kMobile};
    static constexpr std::array<std::uint16_t, 1> radio{kRadio};
    static constexpr std::array<std::uint16_t, 1> car{kCar};
    static constexpr std::array<std::uint16_t, 2> home{kHome, kHome2};
    static constexpr std::array<std::uint16_t, 1> homeFax{kHomeFax};
    static constexpr std::array<std::uint16_t, 2> work{kWork, kWork2};
    static constexpr std::array<std::uint16_t, 1> workFax{kWorkFax};
    static constexpr std::array<std::uint16_t, 1> pager{kPager};
    static constexpr std::array<std::uint16_t, 1> assistant{kAssistant};
    switch (kind) {
        case PhoneKind::Mobile:
            return mobile;
        case PhoneKind::Radio:
            return radio;
        case PhoneKind::Car:
            return car;
        case PhoneKind::Home:
            return home;
        case PhoneKind::HomeFax:
            return homeFax;
        case PhoneKind::Work:
            return work;
        case PhoneKind::WorkFax:
            return workFax;
        case PhoneKind::Pager:
            return pager;
        case PhoneKind::Assistant:
            return assistant;
        case PhoneKind::Unknown:
            break;
    }
    return work;
}

void AddText(PropArray& record, std::uint16_t property, const std::u16string& text) {
    if (!text.empty())
        record.push_back(PropVal::String(property, text));
}

// Names and categories: what every record made from the card carries.
PropArray CardHeader(const ContactCard& card, CategoryTable& categories) {
    using namespace contact_prop;
    PropArray record;
    AddText(record, kFirstName, card.firstName);
    AddText(record, kLastName, card.lastName);
    // The other names stand in only for a contact without first and last
    // name; a big address book would otherwise hold each name twice.
    if (record.empty()) {
        AddText(record, kFormattedName, card.formattedName);
        AddText(record, kCompany, card.company);
        AddText(record, kNickname, card.nickname);
        AddText(record, kEmail, card.email);
        AddText(record, kDepartment, card.department);
        AddText(record, kJobTitle, card.jobTitle);
    }

    std::vector<std::uint8_t> bitmap;
    for (const std::u16string& name : card.categories) {
        std::optional<std::int16_t> id = categories.IdOf(name);
        if (!id)
            continue;
        const auto bit = static_cast<std::size_t>(*id);
        if (bitmap.size() <= bit / 8)
            bitmap.resize(bit / 8 + 1);
        bitmap[bit / 8] = static_cast<std::uint8_t>(bitmap[bit / 8] | (1u << (bit % 8)));
    }
    if (!bitmap.empty())
        record.push_back(PropVal::Blob(kCategories, bitmap));
    return record;
}

// Only non-empty names are stored, so any text property is a name.
bool HasAnyName(const PropArray& header) {
    return std::any_of(header.begin(), header.end(), [](const PropVal& value) {
        return store::PropTypeOf(value.id) == store::PropType::String;
    });
}

}  // namespace

std::optional<std::int16_t> CategoryTable::IdOf(std::u16string_view name) {
    if (auto found = ids_.find(name); found != ids_.end())
        return found->second;
    if (names_.size() >= static_cast<std::size_t>(std::numeric_limits<std::int16_t>::max()))
        return std::nullopt;
    const auto id = static_cast<std::int16_t>(names_.size() + 1);
    names_.emplace_back(name);
    ids_.emplace(names_.back(), id);
    return id;
}

std::vector<store::PropArray> CategoryTable::Records() const {
    std::vector<PropArray> records;
    records.reserve(names_.size());
    for (std::size_t i = 0; i < names_.size(); ++i) {
        records.push_back({PropVal::String(category_prop::kName, names_[i]),
                           PropVal::I2(category_prop::kId, static_cast<std::int16_t>(i + 1))});
    }
    return records;
}

std::vector<store::PropArray> ContactRecordsFromCard(const ContactCard& card,
                                                     CategoryTable& categories) {
    const PropArray header = CardHeader(card, categories);
    std::vector<PropArray> records;
    // A slot is only ever filled in the first record that has it free, so
    // each slot is taken in an unbroken run of records from the first one.
    // Knowing where each run ends places a number without searching the
    // records, which keeps a card of 100,000 numbers linear to read.
    std::map<std::uint16_t, std::size_t> firstFree;
    for (const CardPhone& phone : card.phones) {
        PhoneKind kind = phone.kind;
        if (kind == PhoneKind::Unknown && card.phones.size() == 1)
            kind = PhoneKind::Mobile;
        const std::span<const std::uint16_t> slots = SlotsOf(kind);

        // The first record with any of the kind's slots free, and in it the
        // first such slot in the kind's order.
        std::size_t record = std::numeric_limits<std::size_t>::max();
        std::uint16_t chosen = slots.front();
        for (const std::uint16_t slot : slots) {
            const std::size_t free = firstFree[slot];
            if (free < record) {
                record = free;
                chosen = slot;
            }
        }
        if (record == records.size())
            records.push_back(header);
        records[record].push_back(PropVal::String(chosen, phone.number));
        ++firstFree[chosen];
    }
    if (records.empty() && HasAnyName(header))
        records.push_back(header);
    return records;
}

}  // namespace mivex::contacts
