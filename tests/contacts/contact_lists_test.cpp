#include "contacts/contact_lists.h"

#include <gtest/gtest.h>

#include "contact_props.h"
#include "fake_controls.h"
#include "fake_options.h"

namespace mivex::contacts {
namespace {

using namespace contact_prop;
using options::Option;
using testing::FakeComboControl;
using testing::FakeOptions;
using Texts = std::vector<std::u16string>;
using tests::Contact;

store::PropArray Category(std::u16string_view name, std::int16_t id) {
    return {store::PropVal::String(category_prop::kName, name),
            store::PropVal::I2(category_prop::kId, id)};
}

Texts Fill(const ContactsDatabase& database, FakeOptions options = {},
           FakeComboControl* categories = nullptr) {
    FakeComboControl contactList, ownCategories;
    EXPECT_TRUE(FillContactCombo(contactList, categories ? *categories : ownCategories, &database,
                                 options));
    EXPECT_TRUE(contactList.redraw);
    EXPECT_EQ(contactList.redrawSwitches, 2);
    EXPECT_EQ(contactList.current,
              contactList.items.empty() ? std::nullopt : std::optional<std::size_t>(0));
    return contactList.Texts();
}

TEST(ContactLists, EntriesFollowTheNameAndNumberOptions) {
    const store::PropArray ann = Contact({{kFirstName, u"Ann"},
                                          {kLastName, u"Lee"},
                                          {kMobile, u"+44 7700 900123"},
                                          {kHome, u"0161 496"}});
    const auto bo = [](std::uint16_t slot, std::u16string_view number) {
        return Contact({{kFirstName, u"Bo"}, {slot, number}});
    };
    // A number in every slot and the letter that marks its entry.
    // clang-format off
    const store::PropArray everyKind = Contact({{kFirstName, u"Bo"}, {kMobile, u"01"}, {kRadio, u"02"},
        {kCar, u"03"}, {kHome, u"04"}, {kHome2, u"05"}, {kHomeFax, u"06"}, {kWork, u"07"},
        {kWorkFax, u"08"}, {kWork2, u"09"}, {kPager, u"10"}, {kAssistant, u"11"}});
    const Texts everyEntry = {u"Bo,01,M", u"Bo,02,R", u"Bo,03,C", u"Bo,04,H", u"Bo,05,H", u"Bo,06,F",
        u"Bo,07,W", u"Bo,08,F", u"Bo,09,W", u"Bo,10,P", u"Bo,11,A"};
    // clang-format on
    // Name order, show all numbers, remove number tag.
    const struct {
        const char* what;
        store::PropArray contact;
        Texts entries;
        std::int32_t nameOrder = 0, showAll = 0, removeTag = 0;
    } cases[] = {
        {"first then last", ann, {u"Ann Lee,+447700900123,M"}},
        {"last then first", ann, {u"Lee Ann,+447700900123,M"}, 1},
        {"all numbers", ann, {u"Ann Lee,+447700900123,M", u"Ann Lee,0161496,H"}, 0, 1},
        {"last name alone", Contact({{kLastName, u"Lee"}, {kCar, u"1"}}), {u"Lee,1,C"}, 1},
        {"fall-back name", Contact({{kCompany, u"Acme"}, {kRadio, u"2"}}), {u"Acme,2,R"}},
        {"no name at all", Contact({{kFirstName, u""}, {kMobile, u"3"}}), {}, 0, 1},
        {"home number hidden", bo(kHome, u"4"), {}},
        {"no dial characters", bo(kMobile, u"n/a"), {u"Bo,,M"}},
        {"groups removed", bo(kMobile, u"0123 (0)(1) 456"), {u"Bo,0123456,M"}, 0, 0, 1},
        {"digits kept", bo(kMobile, u"0123 (0) 456"), {u"Bo,01230456,M"}},
        {"every kind", everyKind, everyEntry, 0, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        FakeOptions options;
        options.integers = {{Option::NameOrder, c.nameOrder},
                            {Option::ShowAllContactNumbers, c.showAll},
                            {Option::RemoveNumberTag, c.removeTag}};
        EXPECT_EQ(Fill(ContactsDatabase{{}, {c.contact}}, options), c.entries);
    }
}

TEST(ContactLists, EntriesAreInCollationOrder) {
    ContactsDatabase database;
    for (std::u16string_view name : {u"Zed", u"bob", u"Anna", u"\u00C9mile", u"anna"})
        database.contacts.push_back(Contact({{kFirstName, name}, {kMobile, u"1"}}));
    EXPECT_EQ(Fill(database),
              (Texts{u"anna,1,M", u"Anna,1,M", u"bob,1,M", u"\u00C9mile,1,M", u"Zed,1,M"}));
}

TEST(ContactLists, TheChosenCategoryNarrowsTheList) {
    const ContactsDatabase database{
        {Category(u"Friends", 1), Category(u"", 5), Category(u"Work", 9)},
        {Contact({{kFirstName, u"A"}, {kMobile, u"1"}}, {0x02}),
         Contact({{kFirstName, u"B"}, {kMobile, u"2"}}, {0x00, 0x02}),
         Contact({{kFirstName, u"C"}, {kMobile, u"3"}}, {0xFD}),
         Contact({{kFirstName, u"D"}, {kMobile, u"4"}})}};
    const Texts everyone = {u"A,1,M", u"B,2,M", u"C,3,M", u"D,4,M"};
    const struct {
        std::optional<std::u16string_view> before;
        Texts entries;
        std::size_t selected;
    } cases[] = {
        {u"Work", {u"B,2,M"}, 2},    {u"Friends", {u"A,1,M"}, 1}, {u"Gone", everyone, 0},
        {std::nullopt, everyone, 0}, {u"", everyone, 0},          {kAllCategories, everyone, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.before ? ::testing::PrintToString(*c.before) : "none");
        FakeComboControl categories;
        if (c.before) {
            categories.AddItem(*c.before);
            categories.SetCurrentIndex(0);
        }
        EXPECT_EQ(Fill(database, {}, &categories), c.entries);
        EXPECT_EQ(categories.Texts(), (Texts{u"All Categories", u"Friends", u"Work"}));
        EXPECT_EQ(categories.items[0].data, 0);
        EXPECT_EQ(categories.items[2].data, 9);
        EXPECT_EQ(categories.current, c.selected);
    }
}

TEST(ContactLists, NoAddressBookLeavesOnlyAllCategories) {
    FakeComboControl contacts, categories;
    contacts.AddItem(u"old");
    categories.AddItem(u"Work");
    categories.SetCurrentIndex(0);
    FakeOptions options;
    EXPECT_FALSE(FillContactCombo(contacts, categories, nullptr, options));
    EXPECT_TRUE(contacts.items.empty());
    EXPECT_TRUE(contacts.redraw);
    EXPECT_EQ(categories.Texts(), Texts{u"All Categories"});
    EXPECT_EQ(categories.current, 0u);
}

TEST(ContactEntry, ToRecipientCutsAtTheSecondComma) {
    // clang-format off
    const struct { std::u16string_view entry, result; bool cut; } cases[] = {
        {u"Ann Lee,+447700900123,M", u"Ann Lee,+447700900123", true}, {u"0123", u"0123", false},
        {u"Ann,0123", u"Ann,0123", false}, {u"Lee, Ann,0123,M", u"Lee, Ann", true}, {u",,", u",", true}};
    // clang-format on
    for (const auto& c : cases) {
        std::u16string text(c.entry);
        EXPECT_EQ(ContactEntryToRecipient(text), c.cut);
        EXPECT_EQ(text, c.result);
    }
}

TEST(StripParentheses, RemovesEachGroupUpToItsFirstClose) {
    const std::pair<std::u16string_view, std::u16string_view> cases[] = {
        // clang-format off
        {u"0123 (home) 456", u"0123  456"}, {u"0123 (0)(1) 456", u"0123  456"}, {u"a(b(c)d)e", u"ad)e"},
        {u"((a)", u""}, {u"(a)(b", u"(b"}, {u"a)(b", u"a)(b"}, {u"()", u""}, {u"plain", u"plain"}};
    // clang-format on
    for (const auto& [input, output] : cases) {
        std::u16string number(input);
        EXPECT_EQ(StripParentheses(number), output.size());
        EXPECT_EQ(number, output);
    }
}

}  // namespace
}  // namespace mivex::contacts
