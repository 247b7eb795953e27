#include "contacts/contacts_directory.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <map>
#include <optional>
#include <set>
#include <utility>

#include "contacts/contact_records.h"
#include "contacts/contacts_cache.h"
#include "contacts/vcard_loader.h"
#include "platform/paths.h"

namespace mivex::contacts {
namespace fs = std::filesystem;

namespace {

// Sync folders nest collections one or two levels deep; the limit only guards
// against absurd trees.
constexpr int kMaxFolderDepth = 8;

using Fingerprint = FileFingerprint;

Fingerprint FingerprintOf(const struct stat& info) {
    return {info.st_dev, info.st_ino, info.st_size, info.st_mtim, info.st_ctim};
}

bool IsHidden(const fs::path& path) {
    return path.filename().native().starts_with('.');
}

bool HasVCardExtension(const fs::path& path) {
    std::string extension = path.extension().native();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension == ".vcf" || extension == ".vcard";
}

std::string ErrnoText(int error) {
    return std::strerror(error);
}

// Reads the whole file through one descriptor, so the bytes and the
// fingerprint belong to the same version of it.
std::optional<std::string> ReadWholeFile(const fs::path& path, struct stat& info,
                                         std::string& error) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) {
        error = ErrnoText(errno);
        return std::nullopt;
    }
    std::optional<std::string> bytes;
    if (::fstat(fd, &info) != 0) {
        error = ErrnoText(errno);
    } else if (!S_ISREG(info.st_mode)) {
        error = "not a regular file";
    } else if (static_cast<std::uintmax_t>(info.st_size) > kMaxContactsFileBytes) {
        error = "file is larger than 128 MiB";
    } else {
        bytes.emplace();
        bytes->resize(static_cast<std::size_t>(info.st_size));
        std::size_t done = 0;
        while (done < bytes->size()) {
            const ssize_t got = ::read(fd, bytes->data() + done, bytes->size() - done);
            if (got < 0 && errno == EINTR)
                continue;
            if (got < 0) {
                error = ErrnoText(errno);
                bytes.reset();
                break;
            }
            if (got == 0)
                break;  // the file shrank while we read it; take what is there
            done += static_cast<std::size_t>(got);
        }
        if (bytes)
            bytes->resize(done);
    }
    ::close(fd);
    return bytes;
}

}  // namespace

struct ContactsDirectory::State {
    fs::path folder;
    fs::path cacheFile;  // empty: no cache
    VCardLoader* loader = nullptr;
    bool cacheLoaded = false;
    bool cacheStale = false;  // files were read, or went, since the cache was written
    std::map<fs::path, CachedFile> files;
    // Files whose cards were let go once their records were built: the
    // records are what the program reads, and the cards are in the cache
    // file, where they are taken from again when a file changes.
    std::set<fs::path> released;
    // Files that could not be parsed because the vCard reader is missing:
    // tried again at each Refresh and never written to the cache, so they
    // are read once the reader is back.
    std::set<fs::path> unparsed;
    std::vector<std::pair<fs::path, Fingerprint>> lastListing;
    bool haveDatabase = false;
    ContactsDatabase database;
    std::optional<ContactNameIndex> index;
    std::vector<ContactsProblem> problems;

    bool Collect(const fs::path& directory, int depth, std::set<std::pair<dev_t, ino_t>>& seen,
                 std::vector<fs::path>& found);
    const CachedFile& Visit(const fs::path& path);
    void Rebuild(const std::vector<fs::path>& order);
    void LoadCache();
    void SaveCache();
    void TakeBackReleasedCards();
};

// Adds the card files below `directory` to `found`, in name order; false
// when `directory` itself cannot be read.
bool ContactsDirectory::State::Collect(const fs::path& directory, int depth,
                                       std::set<std::pair<dev_t, ino_t>>& seen,
                                       std::vector<fs::path>& found) {
    std::error_code error;
    fs::directory_iterator entries(directory, error);
    if (error) {
        problems.push_back({directory, 0, "folder cannot be read: " + error.message()});
        return false;
    }
    std::vector<fs::path> names;
    for (const fs::directory_entry& entry : entries) {
        if (!IsHidden(entry.path()))
            names.push_back(entry.path());
    }
    std::sort(names.begin(), names.end());

    for (const fs::path& path : names) {
        struct stat info {};
        if (::stat(path.c_str(), &info) != 0)
            continue;  // a dangling link is nothing the user can mean as an address book
        if (S_ISDIR(info.st_mode)) {
            // Links may point back up the tree; each folder is read once.
            if (depth < kMaxFolderDepth && seen.insert({info.st_dev, info.st_ino}).second)
                (void)Collect(path, depth + 1, seen, found);
        } else if (HasVCardExtension(path)) {
            found.push_back(path);
        }
    }
    return true;
}

// The file's cards, read again only when the file changed since the last look.
const CachedFile& ContactsDirectory::State::Visit(const fs::path& path) {
    struct stat info {};
    auto cached = files.find(path);
    if (cached != files.end() && !unparsed.contains(path) && ::stat(path.c_str(), &info) == 0 &&
        cached->second.fingerprint == FingerprintOf(info)) {
        return cached->second;
    }

    released.erase(path);
    CachedFile parsed;
    parsed.path = path;
    std::string error;
    std::optional<std::string> bytes = ReadWholeFile(path, info, error);
    parsed.fingerprint = FingerprintOf(info);
    if (!bytes) {
        parsed.problems.push_back({0, error});
    } else if (std::optional<VCardReadResult> read = loader->Read(*bytes); !read) {
        parsed.problems.push_back({0, loader->Error()});
        unparsed.insert(path);
        return files.insert_or_assign(path, std::move(parsed)).first->second;
    } else {
        parsed.cards = std::move(read->cards);
        for (CardProblem& problem : read->problems)
            parsed.problems.push_back({problem.line, std::move(problem.reason)});
    }
    unparsed.erase(path);
    cacheStale = true;
    return files.insert_or_assign(path, std::move(parsed)).first->second;
}

// The cards of the last run, for the files that have not changed since. A
// damaged cache counts as none, and is written anew.
void ContactsDirectory::State::LoadCache() {
    cacheLoaded = true;
    if (cacheFile.empty())
        return;
    std::optional<std::vector<CachedFile>> cached = LoadContactsCache(cacheFile);
    if (!cached) {
        cacheStale = true;
        return;
    }
    for (CachedFile& file : *cached) {
        fs::path path = file.path;
        files.insert_or_assign(std::move(path), std::move(file));
    }
}

void ContactsDirectory::State::SaveCache() {
    if (cacheFile.empty() || !cacheStale)
        return;
    std::vector<const CachedFile*> kept;
    for (const auto& [path, file] : files) {
        if (!unparsed.contains(path))
            kept.push_back(&file);
    }
    // A cache that cannot be written only costs the next start its speed.
    cacheStale = !SaveContactsCache(cacheFile, kept);
}

void ContactsDirectory::State::Rebuild(const std::vector<fs::path>& order) {
    index.reset();
    database = {};
    CategoryTable categories;
    for (const fs::path& path : order) {
        CachedFile& file = files.at(path);
        for (const ContactCard& card : file.cards) {
            for (store::PropArray& record : ContactRecordsFromCard(card, categories)) {
                // Ten thousand contacts: the slack of a vector grown one
                // number at a time would be megabytes.
                record.shrink_to_fit();
                database.contacts.push_back(std::move(record));
            }
        }
        // A cached file's cards can be had again from the cache, so they
        // are let go at once and their room serves the next file's records.
        if (!cacheFile.empty() && !cacheStale && !unparsed.contains(path) && !file.cards.empty()) {
            std::vector<ContactCard>().swap(file.cards);
            released.insert(path);
        }
    }
    database.contacts.shrink_to_fit();
    database.categories = categories.Records();
}

// The cards let go after the last build, from the cache, as the cache still
// holds them; a file the cache cannot give back is read again.
void ContactsDirectory::State::TakeBackReleasedCards() {
    if (released.empty())
        return;
    if (std::optional<std::vector<CachedFile>> cached = LoadContactsCache(cacheFile)) {
        for (CachedFile& file : *cached) {
            auto known = files.find(file.path);
            if (known != files.end() && released.contains(file.path) &&
                known->second.fingerprint == file.fingerprint) {
                known->second.cards = std::move(file.cards);
                released.erase(file.path);
            }
        }
    }
    // Visit forgets what it reads from the released set.
    const std::set<fs::path> lost = std::exchange(released, {});
    for (const fs::path& path : lost) {
        files.erase(path);
        (void)Visit(path);
    }
}

ContactsDirectory::ContactsDirectory(fs::path folder, fs::path cacheFile, VCardLoader& loader)
    : state_(std::make_unique<State>()) {
    state_->folder = std::move(folder);
    state_->cacheFile = std::move(cacheFile);
    state_->loader = &loader;
}

ContactsDirectory::~ContactsDirectory() = default;

const ContactsDatabase* ContactsDirectory::Refresh() {
    State& state = *state_;
    state.problems.clear();
    if (!state.cacheLoaded)
        state.LoadCache();
    std::vector<fs::path> found;
    struct stat rootInfo {};
    bool readable = false;
    if (::stat(state.folder.c_str(), &rootInfo) == 0 && !S_ISDIR(rootInfo.st_mode)) {
        // The folder may itself be a link to one exported file.
        found.push_back(state.folder);
        readable = true;
    } else if (!platform::CreateOwnerOnlyDirectories(state.folder) ||
               ::stat(state.folder.c_str(), &rootInfo) != 0) {
        state.problems.push_back(
            {state.folder, 0, "folder cannot be created: " + ErrnoText(errno)});
    } else {
        std::set<std::pair<dev_t, ino_t>> seen{{rootInfo.st_dev, rootInfo.st_ino}};
        readable = state.Collect(state.folder, 0, seen, found);
    }
    if (!readable) {
        state.haveDatabase = false;
        return nullptr;
    }

    std::vector<std::pair<fs::path, Fingerprint>> listing;
    for (const fs::path& path : found)
        listing.emplace_back(path, state.Visit(path).fingerprint);
    // Forget files that went away, so their cards cannot come back.
    const std::set<fs::path> present(found.begin(), found.end());
    if (std::erase_if(state.files,
                      [&](const auto& entry) { return !present.contains(entry.first); }) != 0)
        state.cacheStale = true;
    std::erase_if(state.unparsed, [&](const fs::path& path) { return !present.contains(path); });
    std::erase_if(state.released, [&](const fs::path& path) { return !present.contains(path); });
    const bool rebuild = !state.haveDatabase || listing != state.lastListing;
    if (rebuild || state.cacheStale) {
        state.TakeBackReleasedCards();
        listing.clear();
        for (const fs::path& path : found)
            listing.emplace_back(path, state.files.at(path).fingerprint);
    }
    state.SaveCache();

    if (rebuild) {
        state.Rebuild(found);
        state.lastListing = std::move(listing);
        state.haveDatabase = true;
    }
    for (const fs::path& path : found) {
        for (const CachedProblem& problem : state.files.at(path).problems)
            state.problems.push_back({path, problem.line, problem.reason});
    }
    return &state.database;
}

const ContactNameIndex* ContactsDirectory::NameIndex() {
    State& state = *state_;
    if (!state.haveDatabase)
        return nullptr;
    if (!state.index)
        state.index.emplace(state.database);
    return &*state.index;
}

const std::vector<ContactsProblem>& ContactsDirectory::Problems() const {
    return state_->problems;
}

fs::path ContactsFolderIn(const fs::path& dataDirectory) {
    return dataDirectory / "contacts";
}

fs::path ContactsCacheIn(const fs::path& dataDirectory) {
    return dataDirectory / "contacts.cache";
}

}  // namespace mivex::contacts
