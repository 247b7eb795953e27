#include "contacts/contacts_directory.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <optional>

#include "contacts/contact_names.h"
#include "contacts/contacts_cache.h"
#include "temp_dir.h"

namespace mivex::contacts {
namespace {

namespace fs = std::filesystem;
using mivex::testing::TempDir;

std::string Card(const std::string& name, const std::string& categories = "") {
    return "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:" + name + "\r\nTEL;TYPE=CELL:+44 7700 900123\r\n" +
           "CATEGORIES:" + categories + "\r\nEND:VCARD\r\n";
}

void Write(const fs::path& file, const std::string& bytes) {
    fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << bytes;
}

using Texts = std::vector<std::u16string>;

// The contacts' names, or with `category_prop::kName` the categories' names.
Texts Names(const std::vector<store::PropArray>& records, std::uint16_t name = 0) {
    Texts names;
    for (const store::PropArray& record : records)
        names.push_back(name ? *store::FindPropString(record, name)
                             : ContactDisplayName(record, NameOrder::FirstThenLast));
    return names;
}

bool HasProblem(const ContactsDirectory& directory, const std::string& file,
                const std::string& words) {
    return std::ranges::any_of(directory.Problems(), [&](const ContactsProblem& problem) {
        return problem.file.filename() == file && problem.reason.find(words) != std::string::npos;
    });
}

TEST(ContactsDirectory, MakesAMissingFolderForItsOwnerOnlyOrGivesNoAddressBook) {
    TempDir temp;
    ContactsDirectory directory(ContactsFolderIn(temp.path() / "data"));
    const ContactsDatabase* database = directory.Refresh();
    ASSERT_NE(database, nullptr);
    EXPECT_TRUE(database->contacts.empty());
    EXPECT_EQ(fs::status(temp.path() / "data" / "contacts").permissions(), fs::perms::owner_all);

    Write(temp.path() / "file", "a file where the data folder should be");
    ContactsDirectory blocked(ContactsFolderIn(temp.path() / "file"));
    EXPECT_EQ(blocked.Refresh(), nullptr);
    EXPECT_EQ(blocked.NameIndex(), nullptr);
    EXPECT_FALSE(blocked.Problems().empty());
}

TEST(ContactsDirectory, ReadsEveryCardFileBelowTheFolderInNameOrder) {
    TempDir temp;
    const fs::path folder = temp.path() / "contacts";
    Write(folder / "b.vcf", Card("Bob", "Work,Golf"));
    Write(folder / "a.VCF", Card("Ann", "Golf"));
    Write(folder / "sub" / "c.vcf", Card("Cy", "Family"));
    Write(folder / ".hidden.vcf", Card("Hidden"));
    Write(folder / "notes.txt", Card("Notes"));
    Write(temp.path() / "elsewhere" / "d.vcf", Card("Di", "Work"));
    fs::create_directory_symlink(temp.path() / "elsewhere", folder / "link");
    fs::create_directory_symlink(folder, folder / "sub" / "loop");

    ContactsDirectory directory(folder);
    const ContactsDatabase* database = directory.Refresh();
    ASSERT_NE(database, nullptr);
    EXPECT_EQ(Names(database->contacts), (Texts{u"Ann", u"Bob", u"Di", u"Cy"}));
    EXPECT_EQ(Names(database->categories, category_prop::kName),
              (Texts{u"Golf", u"Work", u"Family"}));
    EXPECT_TRUE(directory.Problems().empty());

    // The folder itself may be a link to one exported file.
    fs::create_symlink(folder / "b.vcf", temp.path() / "single");
    ContactsDirectory single(temp.path() / "single");
    ASSERT_NE(single.Refresh(), nullptr);
    EXPECT_EQ(Names(single.Refresh()->contacts), (Texts{u"Bob"}));
}

// While the program runs, and at its next start through the cache.
TEST(ContactsDirectory, FollowsChangedAddedAndRemovedFiles) {
    TempDir temp;
    const fs::path folder = temp.path() / "contacts", cache = temp.path() / "contacts.cache";
    Write(folder / "a.vcf", Card("Ann"));
    Write(folder / "b.vcf", Card("Bob"));
    ContactsDirectory directory(folder, cache);
    ASSERT_NE(directory.Refresh(), nullptr);
    ASSERT_NE(directory.NameIndex(), nullptr);

    // Same size, so only the file's times and identity tell the change.
    Write(folder / "a.vcf", Card("Amy"));
    Write(folder / "c.vcf", Card("Cy"));
    fs::remove(folder / "b.vcf");
    const ContactsDatabase* database = directory.Refresh();
    ASSERT_NE(database, nullptr);
    EXPECT_EQ(Names(database->contacts), (Texts{u"Amy", u"Cy"}));

    std::u16string name;
    EXPECT_EQ(LookupContactName(name, u"07700900123", directory.NameIndex()), 3u);
    EXPECT_EQ(name, u"Amy");

    Write(folder / "a.vcf", Card("Ada"));
    fs::remove(folder / "c.vcf");
    Write(folder / "d.vcf", Card("Di"));
    ContactsDirectory nextStart(folder, cache);
    EXPECT_EQ(Names(nextStart.Refresh()->contacts), (Texts{u"Ada", u"Di"}));
}

// Once built, the records are all that is kept of the cached files: a later
// change of one file takes the others' cards back from the cache, or reads
// them again when the cache is gone or damaged meanwhile.
TEST(ContactsDirectory, AChangeLaterKeepsTheUnchangedFilesWhateverBecameOfTheCache) {
    // clang-format off
    const struct { const char* name; std::function<void(const fs::path&)> meanwhile; } cases[] = {
        {"cache kept", [](const fs::path&) {}},
        {"cache removed", [](const fs::path& cache) { fs::remove(cache); }},
        {"cache damaged", [](const fs::path& cache) { Write(cache, "damaged"); }},
    };
    // clang-format on
    for (const auto& row : cases) {
        SCOPED_TRACE(row.name);
        TempDir temp;
        const fs::path folder = temp.path() / "contacts", cache = temp.path() / "contacts.cache";
        Write(folder / "a.vcf", Card("Ann"));
        Write(folder / "b.vcf", Card("Bob"));
        Write(folder / "c.vcf", Card("Cy"));
        ContactsDirectory directory(folder, cache);
        ASSERT_NE(directory.Refresh(), nullptr);
        row.meanwhile(cache);
        Write(folder / "b.vcf", Card("Bea"));
        EXPECT_EQ(Names(directory.Refresh()->contacts), (Texts{u"Ann", u"Bea", u"Cy"}));
        // The cache written then holds every file whole.
        EXPECT_EQ(Names(ContactsDirectory(folder, cache).Refresh()->contacts),
                  (Texts{u"Ann", u"Bea", u"Cy"}));
    }
}

// A start takes the cards of unchanged files from the cache (edited here, so
// that its use shows). A damaged cache is not used at all and is written anew.
TEST(ContactsDirectory, TakesUnchangedFilesFromTheCacheAndRebuildsADamagedOne) {
    TempDir temp;
    const fs::path folder = temp.path() / "contacts", cache = temp.path() / "contacts.cache";
    Write(folder / "a.vcf", Card("Ann"));
    ASSERT_NE(ContactsDirectory(folder, cache).Refresh(), nullptr);
    EXPECT_EQ(fs::status(cache).permissions(), fs::perms::owner_read | fs::perms::owner_write);
    std::optional<std::vector<CachedFile>> files = LoadContactsCache(cache);
    ASSERT_TRUE(files && files->size() == 1);
    files->front().cards.at(0).formattedName = u"Cached";
    const std::string edited = EncodeContactsCache({&files->front()});

    // clang-format off
    const struct { const char* name; std::function<void(std::string&)> damage; Texts seen; } cases[] = {
        {"whole", [](std::string&) {}, {u"Cached"}},
        {"a payload bit flipped", [](std::string& bytes) { bytes[bytes.size() / 2] ^= 1; }, {u"Ann"}},
        {"a header bit flipped", [](std::string& bytes) { bytes[9] ^= 1; }, {u"Ann"}},
        {"cut short", [](std::string& bytes) { bytes.pop_back(); }, {u"Ann"}},
        {"an octet more", [](std::string& bytes) { bytes += '\0'; }, {u"Ann"}},
        {"empty", [](std::string& bytes) { bytes.clear(); }, {u"Ann"}},
    };
    // clang-format on
    for (const auto& row : cases) {
        SCOPED_TRACE(row.name);
        std::string bytes = edited;
        row.damage(bytes);
        Write(cache, bytes);
        ContactsDirectory directory(folder, cache);
        EXPECT_EQ(Names(directory.Refresh()->contacts), row.seen);
        files = LoadContactsCache(cache);
        ASSERT_TRUE(files && files->size() == 1);
        EXPECT_EQ(files->front().cards.at(0).formattedName, row.seen.front());
    }
}

TEST(ContactsDirectory, WithoutItsVCardReaderServesTheCacheAndReadsChangedFilesLater) {
    TempDir temp;
    const fs::path folder = temp.path() / "contacts", cache = temp.path() / "contacts.cache";
    Write(folder / "a.vcf", Card("Ann"));
    ASSERT_NE(ContactsDirectory(folder, cache).Refresh(), nullptr);
    Write(folder / "b.vcf", Card("Bob"));

    VCardLoader broken("libmivex-vcard-not-installed.so");
    ContactsDirectory directory(folder, cache, broken);
    for (int refresh = 0; refresh < 2; ++refresh) {
        SCOPED_TRACE(refresh);
        const ContactsDatabase* database = directory.Refresh();
        ASSERT_NE(database, nullptr);
        EXPECT_EQ(Names(database->contacts), (Texts{u"Ann"}));
        EXPECT_FALSE(HasProblem(directory, "a.vcf", ""));
        EXPECT_TRUE(HasProblem(directory, "b.vcf", "vCard reader cannot be loaded: "));
        EXPECT_TRUE(HasProblem(directory, "b.vcf", "libmivex-vcard-not-installed.so"));
    }
    // The file it could not parse was not cached as empty.
    EXPECT_EQ(Names(ContactsDirectory(folder, cache).Refresh()->contacts), (Texts{u"Ann", u"Bob"}));
}

TEST(ContactsDirectory, ReportsFilesItCannotUseAndStillReadsTheOthers) {
    TempDir temp;
    const fs::path folder = temp.path() / "contacts";
    Write(folder / "good.vcf", Card("Ann"));
    Write(folder / "binary.vcf", std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16));
    {
        std::ofstream(folder / "huge.vcf") << Card("Huge");
        fs::resize_file(folder / "huge.vcf", kMaxContactsFileBytes + 1);  // sparse: no disk used
    }
    // Opening a pipe for reading must not wait for a writer.
    ASSERT_EQ(::mkfifo((folder / "pipe.vcf").c_str(), 0600), 0);

    ContactsDirectory directory(folder);
    const ContactsDatabase* database = directory.Refresh();
    ASSERT_NE(database, nullptr);
    EXPECT_EQ(Names(database->contacts), (Texts{u"Ann"}));
    EXPECT_TRUE(HasProblem(directory, "huge.vcf", "larger"));
    EXPECT_TRUE(HasProblem(directory, "pipe.vcf", "not a regular file"));
    EXPECT_TRUE(HasProblem(directory, "binary.vcf", "text"));
}

}  // namespace
}  // namespace mivex::contacts
