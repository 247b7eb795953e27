#include "contacts/name_lookup.h"

#include <gtest/gtest.h>

#include <random>

#include "contact_props.h"
#include "name_lookup_oracle.h"
#include "sms/dial_number.h"

namespace mivex::contacts {
namespace {

using namespace contact_prop;
using tests::Contact;

TEST(NameLookup, NamesTheBestContactAsTheScanDoes) {
    constexpr std::u16string_view kSender = u"+447700900123";
    constexpr std::u16string_view kNational = u"07700900123";
    const store::PropArray ann =
        Contact({{kFirstName, u"Ann"}, {kLastName, u"Lee"}, {kMobile, u"07700 900123"}});
    const auto bo = [](std::uint16_t slot, std::u16string_view number) {
        return Contact({{kFirstName, u"Bo"}, {slot, number}});
    };
    const struct {
        const char* what;
        std::vector<store::PropArray> contacts;
        std::u16string_view sender;
        std::u16string_view name;
    } cases[] = {
        {"international sender, national contact", {ann}, kSender, u"Ann Lee"},
        {"six dial characters never match", {bo(kHome, u"900123")}, u"900-123", u""},
        {"a tail of six is too short", {bo(kHome, u"1 900123")}, kSender, u""},
        {"seven agreeing characters are enough", {bo(kAssistant, u"0 900123")}, kSender, u"Bo"},
        {"equal: the first stored wins", {ann, bo(kMobile, kNational)}, kNational, u"Ann Lee"},
        {"a longer tail later wins", {bo(kWork, u"55 0900123"), ann}, kSender, u"Ann Lee"},
        {"fall-back name", {Contact({{kCompany, u"Acme"}, {kPager, kNational}})}, kSender, u"Acme"},
        {"nameless best", {Contact({{kMobile, kNational}}), bo(kCar, u"700900123")}, kSender, u""},
        {"filtering both sides", {bo(kHome2, u"+44 (0)7700-900123")}, u"07700 900123", u"Bo"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const ContactsDatabase database{{}, c.contacts};
        const ContactNameIndex index(database);
        std::u16string name = u"stale";
        EXPECT_EQ(LookupContactName(name, c.sender, &index), c.name.size());
        EXPECT_EQ(name, c.name);
        EXPECT_EQ(tests::ScanContactName(database, c.sender), c.name);
        // No name must reach the Inbox as none, so that it shows the number.
        const std::optional<std::u16string> named = ContactNameLookupFor(&index)(c.sender);
        EXPECT_EQ(named, c.name.empty() ? std::nullopt : std::optional<std::u16string>(c.name));
    }
    std::u16string name = u"stale";
    EXPECT_EQ(LookupContactName(name, kSender, nullptr), 0u);
    EXPECT_EQ(name, u"");
}

// Address books built to make trouble for an index: few distinct digits so
// tails are shared, numbers that end other numbers, the same number in
// several contacts, empty and non-dial numbers, contacts without names.
struct RandomBook {
    std::mt19937 random;
    std::vector<std::u16string> subscribers;

    std::size_t Pick(std::size_t below) { return random() % below; }

    std::u16string Digits(std::size_t count) {
        std::u16string digits;
        while (count-- > 0)
            digits += static_cast<char16_t>(u'0' + Pick(3) + (Pick(4) == 0 ? 5 : 0));
        return digits;
    }

    std::u16string StoredNumber() {
        const std::u16string& s = subscribers[Pick(subscribers.size())];
        // clang-format off
        switch (Pick(8)) {
            case 0: return u"0" + s;
            case 1: return u"+44 " + s.substr(0, 3) + u"-" + s.substr(3);
            case 2: return s.substr(Pick(4));
            case 3: return Digits(Pick(3)) + s;
            case 4: return Pick(2) ? u"" : u"n/a";
            case 5: return u"(0)" + s + u"p12";
            default: return s;
        }
        // clang-format on
    }
};

TEST(NameLookup, IndexAgreesWithTheScanOnRandomBooks) {
    const auto pair = [](const std::optional<ContactNameIndex::Match>& m) {
        return m ? std::optional(std::pair(m->contact, m->score)) : std::nullopt;
    };
    for (std::uint32_t seed = 1; seed <= 40; ++seed) {
        RandomBook maker{std::mt19937(seed), {}};
        for (int i = 0; i < 12; ++i)
            maker.subscribers.push_back(maker.Digits(7 + maker.Pick(4)));
        ContactsDatabase book;
        for (std::size_t contacts = maker.Pick(60); contacts > 0; --contacts) {
            store::PropArray& contact = book.contacts.emplace_back();
            if (maker.Pick(5) != 0)
                contact.push_back(store::PropVal::String(kFirstName, u"C" + maker.Digits(3)));
            for (std::size_t n = maker.Pick(4); n > 0; --n) {
                const std::uint16_t slot = kNumberSlots[maker.Pick(kNumberSlots.size())].property;
                contact.push_back(store::PropVal::String(slot, maker.StoredNumber()));
            }
        }
        const ContactNameIndex index(book);
        for (int query = 0; query < 300; ++query) {
            std::u16string sender = maker.StoredNumber();
            if (maker.Pick(3) == 0)
                sender = sender.substr(sender.size() - std::min(sender.size(), 6 + maker.Pick(3)));
            else if (maker.Pick(4) == 0)
                sender = maker.Digits(6 + maker.Pick(6));
            SCOPED_TRACE("seed " + std::to_string(seed) + " sender " +
                         std::string(sender.begin(), sender.end()));
            std::u16string filtered = sender;
            sms::FilterDialChars(filtered);
            ASSERT_EQ(pair(index.BestMatch(filtered)), pair(tests::ScanBestMatch(book, sender)));
        }
    }
}

}  // namespace
}  // namespace mivex::contacts
