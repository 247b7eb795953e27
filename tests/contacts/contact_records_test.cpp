#include "contacts/contact_records.h"

#include <gtest/gtest.h>

#include <map>

namespace mivex::contacts {
namespace {

using namespace contact_prop;

// The numbers of each record as property -> text, in record order.
std::vector<std::map<std::uint16_t, std::u16string>> NumbersOf(
    const std::vector<store::PropArray>& records) {
    std::vector<std::map<std::uint16_t, std::u16string>> result;
    for (const store::PropArray& record : records) {
        auto& numbers = result.emplace_back();
        for (const NumberSlot& slot : kNumberSlots) {
            if (const std::u16string* text = store::FindPropString(record, slot.property))
                numbers[slot.property] = *text;
        }
    }
    return result;
}

ContactCard CardWith(std::vector<CardPhone> phones) {
    ContactCard card;
    card.firstName = u"Ann";
    card.lastName = u"Lee";
    card.categories = {u"Friends"};
    card.phones = std::move(phones);
    return card;
}

TEST(ContactRecords, NumbersFillTheSlotsOfTheirKindAndOverflowIntoFollowOnRecords) {
    using K = PhoneKind;
    struct Case {
        const char* what;
        std::vector<CardPhone> phones;
        std::vector<std::map<std::uint16_t, std::u16string>> expected;
    };
    const std::vector<Case> cases = {
        {"an only number of no known kind is a mobile", {{u"1", K::Unknown}}, {{{kMobile, u"1"}}}},
        {"beside others it is a work number",
         {{u"1", K::Home}, {u"2", K::Unknown}, {u"3", K::Unknown}},
         {{{kHome, u"1"}, {kWork, u"2"}, {kWork2, u"3"}}}},
        {"home and work have two slots each, faxes and the rest one",
         {{u"1", K::Home},
          {u"2", K::Home},
          {u"3", K::WorkFax},
          {u"4", K::HomeFax},
          {u"5", K::Pager},
          {u"6", K::Assistant},
          {u"7", K::Car},
          {u"8", K::Radio}},
         {{{kHome, u"1"},
           {kHome2, u"2"},
           {kWorkFax, u"3"},
           {kHomeFax, u"4"},
           {kPager, u"5"},
           {kAssistant, u"6"},
           {kCar, u"7"},
           {kRadio, u"8"}}}},
        {"a second mobile and a third home start a follow-on record",
         {{u"1", K::Mobile},
          {u"2", K::Home},
          {u"3", K::Mobile},
          {u"4", K::Home},
          {u"5", K::Home},
          {u"6", K::Mobile}},
         {{{kMobile, u"1"}, {kHome, u"2"}, {kHome2, u"4"}},
          {{kMobile, u"3"}, {kHome, u"5"}},
          {{kMobile, u"6"}}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CategoryTable categories;
        const std::vector<store::PropArray> records =
            ContactRecordsFromCard(CardWith(c.phones), categories);
        EXPECT_EQ(NumbersOf(records), c.expected);
        // Every record of the card answers to the same name and categories.
        for (const store::PropArray& record : records) {
            EXPECT_EQ(*store::FindPropString(record, kFirstName), u"Ann");
            EXPECT_EQ(*store::FindPropString(record, kLastName), u"Lee");
            EXPECT_EQ(store::FindPropBlob(record, kCategories).size(), 1u);
        }
    }
}

TEST(ContactRecords, CardsWithoutNameOrNumberGiveNoRecordAndEmptyNamesAreAbsent) {
    CategoryTable categories;
    ContactCard nothing;
    nothing.categories = {u"Friends"};
    EXPECT_TRUE(ContactRecordsFromCard(nothing, categories).empty());

    ContactCard nameOnly;
    nameOnly.company = u"Acme";
    const auto records = ContactRecordsFromCard(nameOnly, categories);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(*store::FindPropString(records[0], kCompany), u"Acme");
    EXPECT_EQ(store::FindPropString(records[0], kFirstName), nullptr);

    ContactCard numberOnly;
    numberOnly.phones = {{u"+447700900123", PhoneKind::Work}};
    EXPECT_EQ(ContactRecordsFromCard(numberOnly, categories).size(), 1u);
}

TEST(ContactRecords, CategoryIdsFollowFirstAppearanceAndSetTheirBits) {
    CategoryTable categories;
    ContactCard first;
    first.firstName = u"A";
    for (int i = 1; i <= 9; ++i)
        first.categories.push_back(u"c" + std::u16string(1, static_cast<char16_t>(u'0' + i)));
    ContactCard second;
    second.firstName = u"B";
    second.categories = {u"c9", u"new", u"c1"};

    (void)ContactRecordsFromCard(first, categories);
    const auto records = ContactRecordsFromCard(second, categories);
    ASSERT_EQ(records.size(), 1u);
    // c1 is id 1 (octet 0, bit 1), c9 id 9 (octet 1, bit 1), "new" id 10 (octet 1, bit 2).
    const auto bitmap = store::FindPropBlob(records[0], kCategories);
    EXPECT_EQ(std::vector<std::uint8_t>(bitmap.begin(), bitmap.end()),
              (std::vector<std::uint8_t>{0x02, 0x06}));

    const auto table = categories.Records();
    ASSERT_EQ(table.size(), 10u);
    EXPECT_EQ(*store::FindPropString(table[9], category_prop::kName), u"new");
    EXPECT_EQ(store::FindPropI2(table[9], category_prop::kId), 10);
}

TEST(ContactRecords, CategoryIdsStopAtTheLargestSigned16BitValue) {
    CategoryTable categories;
    for (int i = 1; i <= 32767; ++i)
        ASSERT_EQ(categories.IdOf(u"c" + std::u16string(1, static_cast<char16_t>(i + 0x100))), i);
    EXPECT_EQ(categories.IdOf(u"one more"), std::nullopt);
    EXPECT_EQ(categories.IdOf(u"c" + std::u16string(1, static_cast<char16_t>(0x101))), 1);
}

}  // namespace
}  // namespace mivex::contacts
