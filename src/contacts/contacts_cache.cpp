#include "contacts/contacts_cache.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstring>
#include <limits>

#include "contacts/contacts_database.h"

namespace mivex::contacts {

namespace {

namespace fs = std::filesystem;

// The header: magic, format version, payload length in octets, CRC-32 of the
// payload. The numbers are in this machine's byte order: the cache never
// leaves it, and a file from another order fails the magic.
constexpr char kMagic[8] = {'M', 'X', 'C', 'A', 'R', 'D', 'S', '\0'};
constexpr std::uint32_t kVersion = 1;
constexpr std::size_t kHeaderOctets = sizeof kMagic + 4 + 8 + 4;
// A cache larger than this is not read: the vCards it stands for are limited
// too, and its reading must not take the machine's memory.
constexpr std::uint64_t kMaxPayloadOctets = 512u << 20;

class Writer {
public:
    void U8(std::uint8_t value) { bytes_.push_back(static_cast<char>(value)); }
    void U32(std::uint32_t value) { Raw(&value, sizeof value); }
    void U64(std::uint64_t value) { Raw(&value, sizeof value); }
    void I64(std::int64_t value) { Raw(&value, sizeof value); }
    void Text(std::string_view text) {
        U32(static_cast<std::uint32_t>(text.size()));
        Raw(text.data(), text.size());
    }
    void Text(std::u16string_view text) {
        U32(static_cast<std::uint32_t>(text.size()));
        Raw(text.data(), text.size() * sizeof(char16_t));
    }
    [[nodiscard]] std::string& Bytes() { return bytes_; }

private:
    void Raw(const void* data, std::size_t size) {
        bytes_.append(static_cast<const char*>(data), size);
    }
    std::string bytes_;
};

// Every read is checked against what is left; after the first failure every
// read fails, so a caller checks once at the end of a record.
class Reader {
public:
    explicit Reader(std::string_view bytes) : left_(bytes) {}

    bool U8(std::uint8_t& value) { return Raw(&value, sizeof value); }
    bool U32(std::uint32_t& value) { return Raw(&value, sizeof value); }
    bool U64(std::uint64_t& value) { return Raw(&value, sizeof value); }
    bool I64(std::int64_t& value) { return Raw(&value, sizeof value); }
    bool Text(std::string& text, std::size_t maxOctets) {
        std::uint32_t length = 0;
        if (!U32(length) || length > maxOctets || length > left_.size())
            return Fail();
        text.assign(left_.substr(0, length));
        left_.remove_prefix(length);
        return true;
    }
    bool Text(std::u16string& text) {
        std::uint32_t length = 0;
        if (!U32(length) || length > kMaxContactFieldUnits ||
            length * sizeof(char16_t) > left_.size())
            return Fail();
        text.resize(length);
        return Raw(text.data(), length * sizeof(char16_t));
    }
    // A count of items, each at least `minOctets` long: more than the bytes
    // left could hold is damage, not a reason to reserve memory.
    bool Count(std::uint32_t& count, std::size_t minOctets) {
        return U32(count) && (count <= left_.size() / minOctets || Fail());
    }
    [[nodiscard]] bool AtEnd() const { return ok_ && left_.empty(); }

private:
    bool Raw(void* data, std::size_t size) {
        if (!ok_ || left_.size() < size)
            return Fail();
        std::memcpy(data, left_.data(), size);
        left_.remove_prefix(size);
        return true;
    }
    bool Fail() {
        ok_ = false;
        return false;
    }

    std::string_view left_;
    bool ok_ = true;
};

std::uint32_t Crc32(std::string_view bytes) {
    uLong crc = crc32(0L, Z_NULL, 0);
    const auto* data = reinterpret_cast<const Bytef*>(bytes.data());
    for (std::size_t done = 0; done < bytes.size();) {
        const auto chunk = static_cast<uInt>(
            std::min<std::size_t>(bytes.size() - done, std::numeric_limits<uInt>::max()));
        crc = crc32(crc, data + done, chunk);
        done += chunk;
    }
    return static_cast<std::uint32_t>(crc);
}

// The card's texts in their stored order; `Card` is const for writing.
template <class Card, class Visit>
bool ForEachText(Card& card, Visit visit) {
    return visit(card.firstName) && visit(card.lastName) && visit(card.formattedName) &&
           visit(card.company) && visit(card.department) && visit(card.nickname) &&
           visit(card.email) && visit(card.jobTitle);
}

void WriteCard(Writer& out, const ContactCard& card) {
    (void)ForEachText(card, [&](const std::u16string& text) {
        out.Text(text);
        return true;
    });
    out.U32(static_cast<std::uint32_t>(card.phones.size()));
    for (const CardPhone& phone : card.phones) {
        out.Text(phone.number);
        out.U8(static_cast<std::uint8_t>(phone.kind));
    }
    out.U32(static_cast<std::uint32_t>(card.categories.size()));
    for (const std::u16string& category : card.categories)
        out.Text(category);
}

bool ReadCard(Reader& in, ContactCard& card) {
    if (!ForEachText(card, [&](std::u16string& text) { return in.Text(text); }))
        return false;
    std::uint32_t phones = 0;
    if (!in.Count(phones, 5))
        return false;
    card.phones.resize(phones);
    for (CardPhone& phone : card.phones) {
        std::uint8_t kind = 0;
        if (!in.Text(phone.number) || !in.U8(kind) || kind > static_cast<int>(PhoneKind::Unknown))
            return false;
        phone.kind = static_cast<PhoneKind>(kind);
    }
    std::uint32_t categories = 0;
    if (!in.Count(categories, 4))
        return false;
    card.categories.resize(categories);
    for (std::u16string& category : card.categories) {
        if (!in.Text(category))
            return false;
    }
    return true;
}

void WriteFingerprint(Writer& out, const FileFingerprint& print) {
    out.U64(static_cast<std::uint64_t>(print.device));
    out.U64(static_cast<std::uint64_t>(print.inode));
    out.I64(static_cast<std::int64_t>(print.size));
    for (const timespec& time : {print.modified, print.changed}) {
        out.I64(static_cast<std::int64_t>(time.tv_sec));
        out.I64(static_cast<std::int64_t>(time.tv_nsec));
    }
}

bool ReadFingerprint(Reader& in, FileFingerprint& print) {
    std::uint64_t device = 0, inode = 0;
    std::int64_t values[5] = {};
    if (!in.U64(device) || !in.U64(inode))
        return false;
    for (std::int64_t& value : values) {
        if (!in.I64(value))
            return false;
    }
    print.device = static_cast<dev_t>(device);
    print.inode = static_cast<ino_t>(inode);
    print.size = static_cast<off_t>(values[0]);
    print.modified = {static_cast<time_t>(values[1]), static_cast<long>(values[2])};
    print.changed = {static_cast<time_t>(values[3]), static_cast<long>(values[4])};
    return true;
}

bool ReadFile(Reader& in, CachedFile& file) {
    std::string path;
    std::uint32_t cards = 0, problems = 0;
    if (!in.Text(path, PATH_MAX) || !ReadFingerprint(in, file.fingerprint) ||
        !in.Count(cards, 8 * 4 + 2 * 4))
        return false;
    file.path = path;
    file.cards.resize(cards);
    for (ContactCard& card : file.cards) {
        if (!ReadCard(in, card))
            return false;
    }
    if (!in.Count(problems, 8 + 4))
        return false;
    file.problems.resize(problems);
    for (CachedProblem& problem : file.problems) {
        std::uint64_t line = 0;
        if (!in.U64(line) || !in.Text(problem.reason, 4096))
            return false;
        problem.line = static_cast<std::size_t>(line);
    }
    return true;
}

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t done = ::write(fd, bytes.data(), bytes.size());
        if (done < 0 && errno == EINTR)
            continue;
        if (done <= 0)
            return false;
        bytes.remove_prefix(static_cast<std::size_t>(done));
    }
    return true;
}

}  // namespace

std::string EncodeContactsCache(const std::vector<const CachedFile*>& files) {
    Writer payload;
    payload.U32(static_cast<std::uint32_t>(files.size()));
    for (const CachedFile* file : files) {
        payload.Text(std::string_view(file->path.native()));
        WriteFingerprint(payload, file->fingerprint);
        payload.U32(static_cast<std::uint32_t>(file->cards.size()));
        for (const ContactCard& card : file->cards)
            WriteCard(payload, card);
        payload.U32(static_cast<std::uint32_t>(file->problems.size()));
        for (const CachedProblem& problem : file->problems) {
            payload.U64(problem.line);
            payload.Text(std::string_view(problem.reason).substr(0, 4096));
        }
    }
    Writer header;
    header.Bytes().append(kMagic, sizeof kMagic);
    header.U32(kVersion);
    header.U64(payload.Bytes().size());
    header.U32(Crc32(payload.Bytes()));
    return header.Bytes() + payload.Bytes();
}

std::optional<std::vector<CachedFile>> DecodeContactsCache(std::string_view bytes) {
    if (bytes.size() < kHeaderOctets || std::memcmp(bytes.data(), kMagic, sizeof kMagic) != 0)
        return std::nullopt;
    Reader header(bytes.substr(sizeof kMagic, kHeaderOctets - sizeof kMagic));
    std::uint32_t version = 0, crc = 0;
    std::uint64_t length = 0;
    if (!header.U32(version) || !header.U64(length) || !header.U32(crc) || version != kVersion)
        return std::nullopt;
    const std::string_view payload = bytes.substr(kHeaderOctets);
    if (length != payload.size() || Crc32(payload) != crc)
        return std::nullopt;
    return DecodeContactsCachePayload(payload);
}

std::optional<std::vector<CachedFile>> DecodeContactsCachePayload(std::string_view payload) {
    Reader in(payload);
    std::uint32_t count = 0;
    if (!in.Count(count, 4 + 56 + 8))
        return std::nullopt;
    std::vector<CachedFile> files(count);
    for (CachedFile& file : files) {
        if (!ReadFile(in, file))
            return std::nullopt;
    }
    if (!in.AtEnd())
        return std::nullopt;
    return files;
}

std::optional<std::vector<CachedFile>> LoadContactsCache(const fs::path& file) {
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        return std::nullopt;
    struct stat info {};
    std::string bytes;
    bool read = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) &&
                static_cast<std::uint64_t>(info.st_size) <= kHeaderOctets + kMaxPayloadOctets;
    if (read) {
        bytes.resize(static_cast<std::size_t>(info.st_size));
        std::size_t done = 0;
        while (read && done < bytes.size()) {
            const ssize_t got = ::read(fd, bytes.data() + done, bytes.size() - done);
            if (got < 0 && errno == EINTR)
                continue;
            read = got > 0;
            done += read ? static_cast<std::size_t>(got) : 0;
        }
    }
    ::close(fd);
    if (!read)
        return std::nullopt;
    return DecodeContactsCache(bytes);
}

bool SaveContactsCache(const fs::path& file, const std::vector<const CachedFile*>& files) {
    const std::string bytes = EncodeContactsCache(files);
    std::string temporary = file.native() + ".XXXXXX";
    // mkstemp makes the file readable and writable by its owner alone.
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool written = WriteAll(fd, bytes) && ::fsync(fd) == 0;
    const bool closed = ::close(fd) == 0;
    if (!written || !closed || ::rename(temporary.c_str(), file.c_str()) != 0) {
        ::unlink(temporary.c_str());
        return false;
    }
    return true;
}

}  // namespace mivex::contacts
