#include "contacts/name_lookup.h"

#include <gtest/gtest.h>

#include <map>
#include <random>

#include "fake_controls.h"
#include "name_lookup_oracle.h"
#include "sms/dial_number.h"
#include "store/message_records.h"
#include "store/store.h"
#include "temp_dir.h"

namespace mivex::contacts {
namespace {

using namespace contact_prop;
using Strings = std::initializer_list<std::pair<std::uint16_t, std::u16string_view>>;

store::PropArray Contact(Strings strings) {
    store::PropArray props;
    for (const auto& [number, text] : strings)
        props.push_back(store::PropVal::String(number, text));
    return props;
}

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
    }
    std::u16string name = u"stale";
    EXPECT_EQ(LookupContactName(name, u"+447700900123", nullptr), 0u);
    EXPECT_EQ(name, u"");
}

// Address books built to make trouble for an index: few distinct digits so
// tails are shared, numbers that end other numbers, the same number in
// several contacts, empty and non-dial numbers, contacts without names.
class RandomBook {
public:
    explicit RandomBook(std::uint32_t seed) : random_(seed) {}

    std::u16string Digits(std::size_t count) {
        std::u16string digits;
        for (std::size_t i = 0; i < count; ++i)
            digits += static_cast<char16_t>(u'0' + Pick(3) + (Pick(4) == 0 ? 5 : 0));
        return digits;
    }

    std::u16string StoredNumber(const std::vector<std::u16string>& subscribers) {
        const std::u16string& subscriber = subscribers[Pick(subscribers.size())];
        switch (Pick(8)) {
            case 0:
                return u"0" + subscriber;
            case 1:
                return u"+44 " + subscriber.substr(0, 3) + u"-" + subscriber.substr(3);
            case 2:
                return subscriber.substr(Pick(4));
            case 3:
                return Digits(Pick(3)) + subscriber;
            case 4:
                return Pick(2) ? u"" : u"n/a";
            case 5:
                return u"(0)" + subscriber + u"p12";
            default:
                return subscriber;
        }
    }

    ContactsDatabase Book(const std::vector<std::u16string>& subscribers) {
        ContactsDatabase book;
        const std::size_t contacts = Pick(60);
        for (std::size_t position = 0; position < contacts; ++position) {
            store::PropArray& contact = book.contacts.emplace_back();
            if (Pick(5) != 0)
                contact.push_back(store::PropVal::String(kFirstName, u"C" + Digits(3)));
            for (std::size_t n = Pick(4); n > 0; --n) {
                const std::uint16_t slot = kNumberSlots[Pick(kNumberSlots.size())].property;
                contact.push_back(store::PropVal::String(slot, StoredNumber(subscribers)));
            }
        }
        return book;
    }

    std::size_t Pick(std::size_t below) { return random_() % below; }

private:
    std::mt19937 random_;
};

TEST(NameLookup, IndexAgreesWithTheScanOnRandomBooks) {
    for (std::uint32_t seed = 1; seed <= 40; ++seed) {
        RandomBook maker(seed);
        std::vector<std::u16string> subscribers;
        for (int i = 0; i < 12; ++i)
            subscribers.push_back(maker.Digits(7 + maker.Pick(4)));
        const ContactsDatabase book = maker.Book(subscribers);
        const ContactNameIndex index(book);
        for (int query = 0; query < 300; ++query) {
            std::u16string sender = maker.StoredNumber(subscribers);
            if (maker.Pick(3) == 0)
                sender = sender.substr(sender.size() - std::min(sender.size(), 6 + maker.Pick(3)));
            else if (maker.Pick(4) == 0)
                sender = maker.Digits(6 + maker.Pick(6));
            SCOPED_TRACE("seed " + std::to_string(seed) + " sender " +
                         std::string(sender.begin(), sender.end()));
            std::u16string filtered = sender;
            sms::FilterDialChars(filtered);
            const auto expected = tests::ScanBestMatch(book, sender);
            const auto actual = index.BestMatch(filtered);
            ASSERT_EQ(actual.has_value(), expected.has_value());
            if (expected) {
                EXPECT_EQ(actual->contact, expected->contact);
                EXPECT_EQ(actual->score, expected->score);
            }
            std::u16string name;
            LookupContactName(name, sender, &index);
            EXPECT_EQ(name, tests::ScanContactName(book, sender));
        }
    }
}

TEST(NameLookup, NamesTheSendersOfAnInbox) {
    const testing::TempDir dir;
    const ContactsDatabase book{{},
                                {Contact({{kFirstName, u"Ann"}, {kMobile, u"07700 900123"}}),
                                 Contact({{kHome, u"0161 496 0000"}})}};
    const ContactNameIndex index(book);
    testing::CountingSounds sounds;
    store::Store store(dir.path(), sounds);
    store::FolderHandle inbox = store.OpenFolder(store::kInboxName, store::kInboxByDate);
    ASSERT_TRUE(inbox.valid());
    const std::u16string senders[] = {u"+447700900123", u"+441614960000", u"+15550100"};
    for (std::size_t i = 0; i < std::size(senders); ++i) {
        store::InboxRecord record;
        record.SenderNumber = senders[i];
        record.TimeStamp = 133'800'000'000'000'000ULL + i;
        ASSERT_NE(inbox->WriteRecord(0, store::ToProps(record)), 0u);
    }
    store::FillSenderNames(*inbox, ContactNameLookupFor(&index));

    std::map<std::u16string, std::u16string> names;
    store::PropArray props;
    EXPECT_EQ(store::ScanRecords(*inbox, props,
                                 [&](store::ObjectId, const store::PropArray& read) {
                                     const auto record = store::AsInboxRecord(read);
                                     ASSERT_TRUE(record);
                                     names[record->SenderNumber] = record->SenderName;
                                 }),
              0u);
    const std::map<std::u16string, std::u16string> expected = {{u"+447700900123", u"Ann"},
                                                               {u"+441614960000", u"+441614960000"},
                                                               {u"+15550100", u"+15550100"}};
    EXPECT_EQ(names, expected);
    store.CloseFolder(inbox);
}

}  // namespace
}  // namespace mivex::contacts
