#include "contacts/contact_records.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

namespace mivex::contacts {
namespace {

using namespace contact_prop;

using Numbers = std::vector<std::map<std::uint16_t, std::u16string>>;

// The numbers of each record as property -> text, in record order.
Numbers NumbersOf(const std::vector<store::PropArray>& records) {
    Numbers result;
    for (const store::PropArray& record : records) {
        auto& numbers = result.emplace_back();
        for (const NumberSlot& slot : kNumberSlots) {
            if (const std::u16string* text = store::FindPropString(record, slot.property))
                numbers[slot.property] = *text;
        }
    }
    return result;
}

TEST(ContactRecords, NumbersFillTheSlotsOfTheirKindAndOverflowIntoFollowOnRecords) {
    using K = PhoneKind;
    // The card's numbers are "1", "2"... in order; each lands in `slots[i]` of
    // record `records[i]` (record 0 when no records are given).
    struct Case {
        const char* what;
        std::vector<PhoneKind> kinds;
        std::vector<std::uint16_t> slots;
        std::vector<std::size_t> records = {};
    };
    const Case cases[] = {
        {"an only number of no known kind is a mobile", {K::Unknown}, {kMobile}},
        {"beside others it is a work number",
         {K::Home, K::Unknown, K::Unknown},
         {kHome, kWork, kWork2}},
        {"home and work have two slots each, faxes and the rest one",
         {K::Home, K::Home, K::WorkFax, K::HomeFax, K::Pager, K::Assistant, K::Car, K::Radio},
         {kHome, kHome2, kWorkFax, kHomeFax, kPager, kAssistant, kCar, kRadio}},
        {"a second mobile and a third home start a follow-on record",
         {K::Mobile, K::Home, K::Mobile, K::Home, K::Home, K::Mobile},
         {kMobile, kHome, kMobile, kHome2, kHome, kMobile},
         {0, 0, 1, 0, 1, 2}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ContactCard card;
        card.firstName = u"Ann";
        card.lastName = u"Lee";
        card.categories = {u"Friends"};
        Numbers expected;
        for (std::size_t i = 0; i < c.kinds.size(); ++i) {
            const std::u16string number(1, static_cast<char16_t>(u'1' + i));
            card.phones.push_back({number, c.kinds[i]});
            const std::size_t record = c.records.empty() ? 0 : c.records[i];
            expected.resize(std::max(expected.size(), record + 1));
            expected[record][c.slots[i]] = number;
        }
        CategoryTable categories;
        const std::vector<store::PropArray> records = ContactRecordsFromCard(card, categories);
        EXPECT_EQ(NumbersOf(records), expected);
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
    ContactCard card;
    card.categories = {u"Friends"};
    EXPECT_TRUE(ContactRecordsFromCard(card, categories).empty());
    card.phones = {{u"+447700900123", PhoneKind::Work}};
    EXPECT_EQ(ContactRecordsFromCard(card, categories).size(), 1u);
    card = {};
    card.company = u"Acme";
    const auto records = ContactRecordsFromCard(card, categories);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(*store::FindPropString(records[0], kCompany), u"Acme");
    EXPECT_EQ(store::FindPropString(records[0], kFirstName), nullptr);
    // With a name of its own the stand-ins are not kept.
    card.lastName = u"Lee";
    EXPECT_EQ(store::FindPropString(ContactRecordsFromCard(card, categories).at(0), kCompany),
              nullptr);
}

TEST(ContactRecords, CategoryIdsFollowFirstAppearanceAndSetTheirBits) {
    CategoryTable categories;
    ContactCard card;
    card.firstName = u"A";
    for (char16_t digit = u'1'; digit <= u'9'; ++digit)
        card.categories.push_back(std::u16string{u'c', digit});
    (void)ContactRecordsFromCard(card, categories);
    card.categories = {u"c9", u"new", u"c1"};
    const auto records = ContactRecordsFromCard(card, categories);
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
