#pragma once

// The address book as last parsed, kept in one file of the data directory so
// that a start need not read every vCard again. Each file's cards are kept
// with what identified that version of it (device, inode, size, change and
// modification times); a file that differs now is read again.
//
// The cache is only ever a copy: a file that is short, long, of another
// version or fails its CRC-32 is not used at all, and the address book is
// read from the vCards and the cache written anew. It is written whole to a
// new file (owner-only) that then takes the old one's place, so a crash
// leaves the old cache or the new one, never a mix.

#include <sys/types.h>

#include <ctime>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "contacts/contact_card.h"

namespace mivex::contacts {

// What identifies one version of a file without reading it. The change time
// catches a rewrite that kept the size and restored the modification time.
struct FileFingerprint {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    struct timespec modified {};
    struct timespec changed {};

    friend bool operator==(const FileFingerprint& a, const FileFingerprint& b) {
        return a.device == b.device && a.inode == b.inode && a.size == b.size &&
               a.modified.tv_sec == b.modified.tv_sec && a.modified.tv_nsec == b.modified.tv_nsec &&
               a.changed.tv_sec == b.changed.tv_sec && a.changed.tv_nsec == b.changed.tv_nsec;
    }
};

// A card or line of a file that could not be read; line 0 for the whole file.
struct CachedProblem {
    std::size_t line = 0;
    std::string reason;

    friend bool operator==(const CachedProblem&, const CachedProblem&) = default;
};

struct CachedFile {
    std::filesystem::path path;
    FileFingerprint fingerprint;
    std::vector<ContactCard> cards;
    std::vector<CachedProblem> problems;

    friend bool operator==(const CachedFile&, const CachedFile&) = default;
};

// The cache's bytes; nothing when they are not a whole, undamaged cache of
// this version.
[[nodiscard]] std::optional<std::vector<CachedFile>> DecodeContactsCache(std::string_view bytes);
[[nodiscard]] std::string EncodeContactsCache(const std::vector<const CachedFile*>& files);
// The payload alone, what follows the header and its CRC: every length and
// count in it is checked against the bytes left.
[[nodiscard]] std::optional<std::vector<CachedFile>> DecodeContactsCachePayload(
    std::string_view payload);

// The file's cache; nothing when it is absent, unreadable or damaged.
[[nodiscard]] std::optional<std::vector<CachedFile>> LoadContactsCache(
    const std::filesystem::path& file);
// Writes the cache in place of the old one; false when it could not be
// written (the old one, if any, then stays as it was).
[[nodiscard]] bool SaveContactsCache(const std::filesystem::path& file,
                                     const std::vector<const CachedFile*>& files);

}  // namespace mivex::contacts
