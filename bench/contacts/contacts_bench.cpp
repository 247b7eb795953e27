// The address book's two hot paths, each against a reference measured in the
// same run:
// - Lookup/Index against Lookup/Scan: naming a batch of distinct sender
//   numbers through the name index, and through the scan over every contact
//   that the index replaces (the tests' oracle). IndexBuild reports the time
//   to build the index and, as counters, its memory.
// - Fill/RefreshAndCombo against Fill/ParseOnly: bringing an already-read,
//   unchanged folder of .vcf files up to date and filling the compose view's
//   contact list with every number, against only parsing the same files'
//   bytes once, already in memory.
// - Numbers/OneCard against Numbers/OneToACard: reading a file whose one card
//   holds every number into contact records, against reading the same
//   numbers one to a card. Both report numbers per second; reading that is
//   linear in the card's size keeps the two rates close at every size.

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "contacts/contact_lists.h"
#include "contacts/contact_records.h"
#include "contacts/contacts_directory.h"
#include "contacts/name_lookup.h"
#include "contacts/vcard_reader.h"
#include "fake_controls.h"
#include "name_lookup_oracle.h"
#include "temp_dir.h"

namespace {

namespace fs = std::filesystem;
using namespace mivex::contacts;

const char* const kFirstNames[] = {"Ann",  "Bob",   "Chloe", "David", "Emma", "Farid",
                                   "Gina", "Harry", "Isla",  "Jamal", "Kate", "Liam"};
const char* const kLastNames[] = {"Lee",    "Smith", "Jones", "Brown", "Taylor", "Wilson",
                                  "Davies", "Evans", "Khan",  "Patel", "Wright", "Walker"};

std::string Digits(std::mt19937& random, int count) {
    std::string digits;
    for (int i = 0; i < count; ++i)
        digits += static_cast<char>('0' + random() % 10);
    return digits;
}

// A person's numbers as people type them: mobiles national or international,
// landlines with the area code in brackets; every tenth person shares an
// office switchboard with others.
struct Person {
    std::string first, last;
    std::vector<std::pair<std::string, std::string>> phones;  // type, number as written
    std::string mobileSubscriber;                             // "7700900123", when any
};

std::vector<Person> People(std::size_t count) {
    std::mt19937 random(20240611);
    std::vector<std::string> switchboards;
    for (int i = 0; i < 50; ++i)
        switchboards.push_back("020 7946 " + Digits(random, 4));
    std::vector<Person> people(count);
    for (Person& person : people) {
        person.first = kFirstNames[random() % std::size(kFirstNames)];
        person.last = kLastNames[random() % std::size(kLastNames)];
        person.mobileSubscriber = "7" + Digits(random, 9);
        const std::string& m = person.mobileSubscriber;
        person.phones.emplace_back("CELL", random() % 3 == 0
                                               ? "+44 " + m.substr(0, 4) + " " + m.substr(4)
                                               : "0" + m.substr(0, 4) + " " + m.substr(4));
        if (random() % 2 == 0)
            person.phones.emplace_back("HOME", "(0161) 496 " + Digits(random, 4));
        if (random() % 10 == 0)
            person.phones.emplace_back("WORK", switchboards[random() % switchboards.size()]);
    }
    return people;
}

std::u16string Wide(const std::string& text) {
    return std::u16string(text.begin(), text.end());
}

ContactsDatabase BookOf(const std::vector<Person>& people) {
    namespace p = contact_prop;
    ContactsDatabase book;
    for (const Person& person : people) {
        mivex::store::PropArray& contact = book.contacts.emplace_back();
        contact.push_back(mivex::store::PropVal::String(p::kFirstName, Wide(person.first)));
        contact.push_back(mivex::store::PropVal::String(p::kLastName, Wide(person.last)));
        const std::uint16_t slots[] = {p::kMobile, p::kHome, p::kWork};
        for (std::size_t i = 0; i < person.phones.size(); ++i)
            contact.push_back(
                mivex::store::PropVal::String(slots[i], Wide(person.phones[i].second)));
    }
    return book;
}

// Distinct senders: half of them contacts' mobiles in the international
// form a phone reports, a tenth in national form, the rest unknown.
std::vector<std::u16string> Senders(const std::vector<Person>& people, std::size_t count) {
    std::mt19937 random(7);
    std::vector<std::u16string> senders;
    for (std::size_t i = 0; i < count; ++i) {
        const std::string& mobile = people[random() % people.size()].mobileSubscriber;
        switch (i % 10) {
            case 0:
                senders.push_back(Wide("0" + mobile));
                break;
            case 1:
            case 2:
            case 3:
            case 4:
            case 5:
                senders.push_back(Wide("+44" + mobile));
                break;
            default:
                senders.push_back(Wide("+4479" + Digits(random, 8)));
                break;
        }
    }
    return senders;
}

struct LookupSetup {
    ContactsDatabase book;
    std::vector<std::u16string> senders;
};

const LookupSetup& LookupFor(std::size_t contacts, std::size_t senders) {
    static std::map<std::pair<std::size_t, std::size_t>, LookupSetup> made;
    LookupSetup& setup = made[{contacts, senders}];
    if (setup.book.contacts.empty()) {
        const std::vector<Person> people = People(contacts);
        setup.book = BookOf(people);
        setup.senders = Senders(people, senders);
    }
    return setup;
}

void LookupIndex(benchmark::State& state) {
    const LookupSetup& setup = LookupFor(state.range(0), state.range(1));
    const ContactNameIndex index(setup.book);
    std::u16string name;
    std::size_t named = 0;
    for (auto _ : state) {
        named = 0;
        for (const std::u16string& sender : setup.senders)
            named += LookupContactName(name, sender, &index) != 0;
        benchmark::DoNotOptimize(named);
    }
    state.counters["named"] = static_cast<double>(named);
}

void LookupScan(benchmark::State& state) {
    const LookupSetup& setup = LookupFor(state.range(0), state.range(1));
    std::size_t named = 0;
    for (auto _ : state) {
        named = 0;
        for (const std::u16string& sender : setup.senders)
            named += !mivex::contacts::tests::ScanContactName(setup.book, sender).empty();
        benchmark::DoNotOptimize(named);
    }
    state.counters["named"] = static_cast<double>(named);
}

void IndexBuild(benchmark::State& state) {
    const LookupSetup& setup = LookupFor(state.range(0), state.range(1));
    std::size_t bytes = 0;
    for (auto _ : state) {
        const ContactNameIndex index(setup.book);
        bytes = index.MemoryBytes();
        benchmark::DoNotOptimize(bytes);
    }
    state.counters["index_bytes"] = static_cast<double>(bytes);
    state.counters["bytes_per_contact"] = static_cast<double>(bytes) / state.range(0);
}

// A folder of .vcf files, 1,000 cards to a file, made once per size and
// removed when the program ends.
class CardFolder {
public:
    explicit CardFolder(std::size_t cards) {
        const char* const categories[] = {"Friends", "Family", "Work", "Friends,Work", "Gym"};
        const std::vector<Person> people = People(cards);
        for (std::size_t first = 0; first < cards; first += 1000) {
            std::string bytes;
            for (std::size_t i = first; i < std::min(cards, first + 1000); ++i) {
                const Person& person = people[i];
                bytes += "BEGIN:VCARD\r\nVERSION:3.0\r\nN:" + person.last + ";" + person.first +
                         ";;;\r\nFN:" + person.first + " " + person.last + "\r\n";
                for (const auto& [type, number] : person.phones)
                    bytes += "TEL;TYPE=" + type + ",VOICE:" + number + "\r\n";
                bytes += std::string("CATEGORIES:") + categories[i % std::size(categories)] +
                         "\r\nEND:VCARD\r\n";
            }
            const fs::path file = path() / ("cards-" + std::to_string(first / 1000) + ".vcf");
            std::ofstream(file, std::ios::binary) << bytes;
            files_.push_back(std::move(bytes));
        }
    }
    [[nodiscard]] const fs::path& path() const { return directory_.path(); }
    [[nodiscard]] const std::vector<std::string>& files() const { return files_; }

private:
    mivex::testing::TempDir directory_;
    std::vector<std::string> files_;
};

const CardFolder& CardsFor(std::size_t cards) {
    static std::map<std::size_t, std::unique_ptr<CardFolder>> made;
    std::unique_ptr<CardFolder>& folder = made[cards];
    if (!folder)
        folder = std::make_unique<CardFolder>(cards);
    return *folder;
}

class AllNumbers final : public mivex::options::OptionReader {
public:
    bool ReadOption(mivex::options::Option option, std::int32_t& value) override {
        value = option == mivex::options::Option::ShowAllContactNumbers ? 1 : 0;
        return value != 0;
    }
    bool ReadOption(mivex::options::Option, std::u16string& value) override {
        value.clear();
        return false;
    }
};

void FillParseOnly(benchmark::State& state) {
    const CardFolder& folder = CardsFor(state.range(0));
    std::size_t cards = 0;
    for (auto _ : state) {
        cards = 0;
        for (const std::string& bytes : folder.files())
            cards += ReadVCards(bytes).cards.size();
        benchmark::DoNotOptimize(cards);
    }
    state.counters["cards"] = static_cast<double>(cards);
}

void FillRefreshAndCombo(benchmark::State& state) {
    const CardFolder& folder = CardsFor(state.range(0));
    ContactsDirectory directory(folder.path());
    if (directory.Refresh() == nullptr) {
        state.SkipWithError("the card folder could not be read");
        return;
    }
    AllNumbers options;
    mivex::testing::FakeComboControl contactList;
    mivex::testing::FakeComboControl categoryList;
    for (auto _ : state) {
        const ContactsDatabase* book = directory.Refresh();
        benchmark::DoNotOptimize(FillContactCombo(contactList, categoryList, book, options));
    }
    state.counters["entries"] = static_cast<double>(contactList.Count());
}

// A .vcf file of `numbers` TEL lines, all on one card or one to a card.
std::string NumbersFile(std::size_t numbers, bool oneCard) {
    std::mt19937 random(16);
    std::string bytes;
    for (std::size_t i = 0; i < numbers; ++i) {
        if (i == 0 || !oneCard)
            bytes += "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Switchboard " + std::to_string(i) + "\r\n";
        bytes += "TEL;TYPE=WORK:020 7946 " + Digits(random, 4) + "\r\n";
        if (i + 1 == numbers || !oneCard)
            bytes += "END:VCARD\r\n";
    }
    return bytes;
}

void ReadNumbers(benchmark::State& state, bool oneCard) {
    const std::size_t numbers = static_cast<std::size_t>(state.range(0));
    const std::string bytes = NumbersFile(numbers, oneCard);
    std::size_t read = 0;
    for (auto _ : state) {
        read = 0;
        CategoryTable categories;
        for (const ContactCard& card : ReadVCards(bytes).cards) {
            read += card.phones.size();
            benchmark::DoNotOptimize(ContactRecordsFromCard(card, categories));
        }
    }
    if (read != numbers)
        state.SkipWithError("not every number was read");
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void NumbersOneCard(benchmark::State& state) {
    ReadNumbers(state, true);
}

void NumbersOneToACard(benchmark::State& state) {
    ReadNumbers(state, false);
}

}  // namespace

BENCHMARK(LookupIndex)
    ->ArgNames({"contacts", "senders"})
    ->Args({200, 50})
    ->Args({10'000, 1'000})
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(LookupScan)
    ->ArgNames({"contacts", "senders"})
    ->Args({200, 50})
    ->Args({10'000, 1'000})
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(IndexBuild)
    ->ArgNames({"contacts", "senders"})
    ->Args({200, 50})
    ->Args({10'000, 1'000})
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(FillParseOnly)->ArgName("cards")->Arg(100)->Arg(10'000)->Unit(benchmark::kMillisecond);
BENCHMARK(FillRefreshAndCombo)
    ->ArgName("cards")
    ->Arg(100)
    ->Arg(10'000)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(NumbersOneCard)
    ->ArgName("numbers")
    ->Arg(100)
    ->Arg(10'000)
    ->Arg(100'000)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(NumbersOneToACard)
    ->ArgName("numbers")
    ->Arg(100)
    ->Arg(10'000)
    ->Arg(100'000)
    ->Unit(benchmark::kMillisecond);
