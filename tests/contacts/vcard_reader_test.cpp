#include "contacts/vcard_reader.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "contacts/contacts_database.h"
#include "contacts/phone_kind.h"
#include "contacts/vcard_loader.h"

namespace mivex::contacts {
namespace {

// Through the module, as the programs read: one copy of the parser per
// process, whose warnings go to its own collector.
VCardReadResult Read(std::string_view bytes) {
    std::optional<VCardReadResult> result = VCardLoader::Shared().Read(bytes);
    EXPECT_TRUE(result) << VCardLoader::Shared().Error();
    return result ? std::move(*result) : VCardReadResult{};
}

std::string DataFile(const std::string& name) {
    std::ifstream file(std::string(MIVEX_CONTACTS_DATA) + "/" + name, std::ios::binary);
    EXPECT_TRUE(file) << name;
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// One card as "last|first|formatted|company|department|nickname|email|title|phones|categories",
// each phone as kind code ":" number.
std::u16string Summary(const ContactCard& card) {
    constexpr const char16_t* kKinds[] = {u"M", u"R",  u"C", u"H", u"HF",
                                          u"W", u"WF", u"P", u"A", u"U"};
    std::u16string phones, categories;
    for (const CardPhone& phone : card.phones)
        phones += (phones.empty() ? u"" : u",") +
                  (kKinds[static_cast<int>(phone.kind)] + (u":" + phone.number));
    for (const std::u16string& category : card.categories)
        categories += (categories.empty() ? u"" : u",") + category;
    return card.lastName + u"|" + card.firstName + u"|" + card.formattedName + u"|" + card.company +
           u"|" + card.department + u"|" + card.nickname + u"|" + card.email + u"|" +
           card.jobTitle + u"|" + phones + u"|" + categories;
}

struct Expected {
    std::vector<std::u16string> cards = {};
    std::vector<CardProblem> problems = {};
};

void ExpectRead(const std::string& bytes, const Expected& expected) {
    testing::internal::CaptureStderr();
    const VCardReadResult result = Read(bytes);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "") << "parser warnings must not leak";
    std::vector<std::u16string> cards;
    for (const ContactCard& card : result.cards)
        cards.push_back(Summary(card));
    EXPECT_EQ(cards, expected.cards);
    EXPECT_EQ(result.problems, expected.problems);
}

TEST(VCardFiles, ReadsExportsOfPhonesAddressBooksAndServers) {
    const std::vector<std::pair<std::string, Expected>> cases = {
        {"phone-export-21.vcf",
         {{u"Müller|Jürgen|Jürgen Müller||||||M:+49 170 1234567,H:030 123456,W:030 654321|",
           u"Иванов|Иван|Иван Иванов|ООО «Ромашка»|||||M:+7 916 123-45-67,M:+7 916 765-43-21|"}}},
        {"latin1-21.vcf",
         {{u"François|Renée|Renée François|Acme Widgets|Export Sales|||Directeur général "
           u"adjoint|M:+33 6 12 34 56 78,W:+33 1 23 45 67 89,WF:+33 1 23 45 67 00|"}}},
        {"google-30.vcf",
         {{u"Smith|Anna|Anna Smith|Smith, Jones & Co.|Research; Development|Annie|anna@example.com|"
           u"|M:+44 7700 900123,H:+44 20 7946 0018,U:+44 7700 900456|myContacts,Friends,Book Club",
           u"Jones|Bob|Bob Jones||||||M:+1 555 0100,P:+1 555 0199|myContacts"}}},
        {"apple-30.vcf",
         {{u"van der Berg;Sr|Piet|Dr. Piet van der Berg|Example, Inc.|Marketing|PJ|||M:+31 6 "
           u"12345678,W:+31 20 1234567,HF:+31 20 7654321|Work,Golf, Sundays"}}},
        {"carddav-40.vcf",
         {{u"Ørsted-Ångström Bjørnsen|Zoë|Zoë Ørsted-Ångström Bjørnsen|Ørsted Wind|Offshore|Zo|||"
           u"M:+44-7700-900789,W:+44-20-7946-0999,H:+44 20 7946 0111|Work,VIP"}}},
        {"fold-in-utf8.vcf", {{u"König|Renée|Renée König € 😀||||||M:+49 151 0000001|"}}},
        {"bom-crlf.vcf",
         {{u"Lowercase|Lily|Lily Lowercase|Tab FoldedOrg Ltd|||||M:+44 7700 900555|",
           u"Second|Sam|Sam Second||||||U:+44 7700 900666|A,B,C"}}},
        {"malformed.vcf",
         {{u"Good|First|First Good||||||M:+44 7700 900001|",
           u"Garbage|Line|Line Garbage||||||M:+44 7700 =ZZ900003|",
           u"Good|Last|Last Good||||||M:+44 7700 900004|End"},
          {{7, "card has no END:VCARD"}, {12, "line is not a vCard property"}}}},
    };
    for (const auto& [file, expected] : cases) {
        SCOPED_TRACE(file);
        ExpectRead(DataFile(file), expected);
    }
}

// ASCII text as UTF-16 with a byte-order mark, as some Windows programs export.
std::string Utf16File(std::string_view ascii, bool bigEndian) {
    std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (char c : ascii)
        bytes += bigEndian ? std::string{'\0', c} : std::string{c, '\0'};
    return bytes;
}

TEST(VCardText, ReadsWhatIsSoundAndNamesTheRest) {
    const std::string good = "BEGIN:VCARD\nFN:Good\nEND:VCARD\n";
    const std::u16string goodCard = u"||Good|||||||";
    const std::vector<std::pair<std::string, Expected>> cases = {
        {"", {}},
        {"no cards here\nEND:VCARD\n", {}},
        // A NUL byte costs the line that holds it, inside a card or outside.
        {std::string("FN:x\0y\n", 7) + good, {{goodCard}}},
        {std::string("BEGIN:VCARD\nFN:Good\nTEL:1\0\nNOTE:\0\nTEL;CELL:2\nEND:VCARD\n", 55),
         {{u"||Good||||||M:2|"}, {{1, "line holds a NUL byte"}}}},
        {"BEGIN:VCARD\nN:Fran\xE7ois;A\nEND:VCARD\n" + good,
         {{goodCard}, {{1, "card is not UTF-8"}}}},
        {"BEGIN:VCARD\nFN;ENCODING=QUOTED-PRINTABLE:Fran=E7ois\nEND:VCARD\n",
         {{}, {{1, "card is not UTF-8"}}}},
        // Raw 8-bit text is read when the line names its charset.
        {"BEGIN:VCARD\nN;CHARSET=ISO-8859-1;X-A=\"b;c\":Fran\xE7ois;Ren\xE9"
         "e\nTEL;CELL:1\nEND:VCARD\n",
         {{u"Fran\u00E7ois|Ren\u00E9e|||||||M:1|"}}},
        {"BEGIN:VCARD\nN;CHARSET=X-NO-SUCH:Fran\xE7ois\nEND:VCARD\n",
         {{}, {{1, "card is not UTF-8"}}}},
        // Text the card is not read for may be damaged without losing the card.
        {"BEGIN:VCARD\nNOTE:caf\xE9\nFN:Good\nEND:VCARD\n", {{goodCard}}},
        {"BEGIN:VCARD\nFN:Good\nbad line\nbad name:x\n"
         "TEL;A=x,B=y:9\nNOTE:a\\qb\nEND:VCARD\n",
         {{goodCard},
          {{1, "line is not a vCard property"}, {1, "invalid escape, passing it through"}}}},
        {"begin:vcard\rfn:Good\rend:vcard  \r", {{goodCard}}},
        {Utf16File(good, false), {{goodCard}}},
        {Utf16File(good, true), {{goodCard}}},
        {Utf16File(good, false) + "A", {{}, {{1, "not a text file"}}}},
        {"BEGIN:VCARD\nFN:Lost\n\nBEGIN:VCARD\nFN:Good\nEND:VCARD\nBEGIN:VCARD\nFN:Cut",
         {{goodCard}, {{1, "card has no END:VCARD"}, {7, "card has no END:VCARD"}}}},
        {"BEGIN:VCARD\nFN:Good\nAGENT:\nBEGIN:VCARD\nFN:Agent\nTEL:1\nEND:VCARD\nTEL;CELL:2\n"
         "END:VCALENDAR\nTEL:3\nEND:VCARD\n",
         {{u"||Good||||||M:2,U:3|"}}},
        {"BEGIN:VCARD\nN:Doe;John, Jack ;;;\nNICKNAME:,Bob,Al\nNICKNAME:Zed\nEMAIL:\nEMAIL:a@b\n"
         "CATEGORIES: a , ,b\\,c,a\nCATEGORIES:d;a\nEND:VCARD\n",
         {{u"Doe|John Jack||||Bob|a@b|||a,b,c,d"}}},
        {"BEGIN:VCARD\nVERSION:4.0\nTEL;VALUE=uri:tel:+1-555-0100;ext=12\nTEL: \n"
         "TEL;TYPE=\"home,fax\":5\nitem2.TEL:6\nITEM2.X-ABLabel:work fax\nitem3.TEL;TYPE=pager:7\n"
         "item3.X-ABLabel:Mobile\nEND:VCARD\n",
         {{u"||||||||U:+1-555-0100,HF:5,WF:6,P:7|"}}},
    };
    for (const auto& [bytes, expected] : cases) {
        SCOPED_TRACE(bytes);
        ExpectRead(bytes, expected);
    }
}

TEST(VCardText, CutsLongFieldsWithoutSplittingASurrogatePair) {
    const std::string emoji = "\xF0\x9F\x98\x80";  // two UTF-16 units
    const std::vector<std::pair<std::string, std::size_t>> cases = {
        {std::string(kMaxContactFieldUnits, 'a'), kMaxContactFieldUnits},
        {std::string(kMaxContactFieldUnits + 7, 'a'), kMaxContactFieldUnits},
        {std::string(kMaxContactFieldUnits - 2, 'a') + emoji + "b", kMaxContactFieldUnits},
        {std::string(kMaxContactFieldUnits - 1, 'a') + emoji, kMaxContactFieldUnits - 1},
    };
    for (const auto& [name, units] : cases) {
        const VCardReadResult result = Read("BEGIN:VCARD\nFN:" + name + "\nEND:VCARD\n");
        ASSERT_EQ(result.cards.size(), 1u) << units;
        EXPECT_EQ(result.cards[0].formattedName.size(), units);
    }
}

TEST(PhoneKind, TypesDecideInOrderAndLabelsOnlyWhenTypesNameNothing) {
    using K = PhoneKind;
    struct Case {
        std::vector<std::string> tokens;
        std::optional<std::string_view> label;
        PhoneKind expected;
    };
    const std::vector<Case> cases = {
        // clang-format off
        {{"fax", "home"}, {}, K::HomeFax}, {{"work", "fax"}, {}, K::WorkFax},
        {{"fax"}, {}, K::WorkFax}, {{"cell", "home", "pref"}, {}, K::Mobile},
        {{"iphone"}, {}, K::Mobile}, {{"x-mobile"}, {}, K::Mobile},
        {{"text", "voice", "work"}, {}, K::Mobile}, {{"pager", "work"}, {}, K::Pager},
        {{"car", "home"}, {}, K::Car}, {{"x-evolution-radio"}, {}, K::Radio},
        {{"x-evolution-assistant", "work"}, {}, K::Assistant}, {{"voice", "home", "work"}, {}, K::Home},
        {{"x-evolution-company"}, {}, K::Work}, {{"voice", "pref"}, {}, K::Unknown},
        {{}, "_$!<Mobile>!$_", K::Mobile}, {{}, "_$!<HomeFAX>!$_", K::HomeFax},
        {{}, "Work Fax", K::WorkFax}, {{}, "Pager", K::Pager},
        {{}, "Boat", K::Unknown}, {{"voice"}, "Home", K::Home},
        {{"work"}, "Mobile", K::Work},
        // clang-format on
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.tokens) + " " + std::string(c.label.value_or("-")));
        EXPECT_EQ(ClassifyPhone(c.tokens, c.label), c.expected);
    }
}

}  // namespace
}  // namespace mivex::contacts
