#pragma once

// The user's address book: every .vcf file in the contacts folder of the
// data directory, and in the folders below it (links followed, so a CardDAV
// sync folder or a single exported file can be linked in). Files are read
// in name order, cards in file order; Mivex never writes to them. A file is
// parsed again only when its size, modification or change time or inode
// changed.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "contacts/contacts_database.h"
#include "contacts/name_lookup.h"
#include "contacts/vcard_loader.h"

namespace mivex::contacts {

// Larger files are skipped, with a problem, rather than read into memory.
inline constexpr std::uintmax_t kMaxContactsFileBytes = 128u << 20;

struct ContactsProblem {
    std::filesystem::path file;
    std::size_t line = 0;  // 0 when the trouble is the file as a whole
    std::string reason;
};

// "contacts" in the data directory.
[[nodiscard]] std::filesystem::path ContactsFolderIn(const std::filesystem::path& dataDirectory);
// "contacts.cache" in the data directory: the cards as last parsed.
[[nodiscard]] std::filesystem::path ContactsCacheIn(const std::filesystem::path& dataDirectory);

class ContactsDirectory {
public:
    // With a `cacheFile`, the cards parsed at the last run are taken from it
    // for every file that has not changed since (see contacts_cache.h), and
    // it is brought up to date after each Refresh that read a file. Files
    // are parsed through `loader`; when it cannot load its module, each file
    // that has to be parsed gives its error as a problem and no cards.
    explicit ContactsDirectory(std::filesystem::path folder, std::filesystem::path cacheFile = {},
                               VCardLoader& loader = VCardLoader::Shared());
    ~ContactsDirectory();
    ContactsDirectory(const ContactsDirectory&) = delete;
    ContactsDirectory& operator=(const ContactsDirectory&) = delete;

    // Brings the address book up to date with the files, creating the folder
    // (owner-only) when it is missing. Null when the folder can neither be
    // read nor created. The result stays valid until the next Refresh.
    [[nodiscard]] const ContactsDatabase* Refresh();

    // The name index of the address book of the last successful Refresh;
    // null before one.
    [[nodiscard]] const ContactNameIndex* NameIndex();

    // What could not be read at the last Refresh, files and cards.
    [[nodiscard]] const std::vector<ContactsProblem>& Problems() const;

private:
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace mivex::contacts
