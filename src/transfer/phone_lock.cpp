#include "transfer/phone_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <sstream>
#include <thread>
#include <utility>

#include "text/utf8.h"

namespace mivex::transfer {
namespace {

constexpr std::string_view kKeepsPhoneWord = "keeps";
constexpr std::string_view kRunWord = "run";
// What a holder's file may say is shown to the user: one short line.
constexpr std::size_t kMaxProgramChars = 80;
constexpr std::size_t kMaxFileBytes = 512;
// The holder writes its name just after taking the lock; a reader that came
// in between waits this long for it before saying it does not know.
constexpr int kNameTries = 5;
constexpr auto kNamePause = std::chrono::milliseconds(20);

std::string ReadAll(int descriptor) {
    std::array<char, kMaxFileBytes> buffer{};
    ssize_t count = -1;
    do {
        count = pread(descriptor, buffer.data(), buffer.size(), 0);
    } while (count < 0 && errno == EINTR);
    return count > 0 ? std::string(buffer.data(), static_cast<std::size_t>(count)) : std::string();
}

// "1234\nmivex-cli watch\nkeeps\n"; a line that does not parse leaves its
// field unknown.
PhoneHolder ParseHolder(const std::string& contents) {
    PhoneHolder holder;
    std::istringstream lines(contents);
    std::string line;
    if (std::getline(lines, line)) {
        long id = 0;
        const auto [end, error] = std::from_chars(line.data(), line.data() + line.size(), id);
        if (error == std::errc() && end == line.data() + line.size() && id > 0) {
            holder.processId = id;
        }
    }
    if (std::getline(lines, line)) {
        for (const char c : line) {
            if (static_cast<unsigned char>(c) >= 0x20 && c != 0x7f &&
                holder.program.size() < kMaxProgramChars) {
                holder.program += c;
            }
        }
    }
    if (std::getline(lines, line)) {
        holder.keepsPhone = line == kKeepsPhoneWord;
    }
    return holder;
}

PhoneHolder ReadHolder(int descriptor) {
    PhoneHolder holder;
    for (int attempt = 0; attempt < kNameTries; ++attempt) {
        holder = ParseHolder(ReadAll(descriptor));
        if (holder.processId != 0) {
            break;
        }
        std::this_thread::sleep_for(kNamePause);
    }
    return holder;
}

void WriteOwner(int descriptor, const PhoneOwner& owner) {
    const std::string contents = std::to_string(getpid()) + '\n' + owner.program + '\n' +
                                 std::string(owner.keepsPhone ? kKeepsPhoneWord : kRunWord) + '\n';
    // Only a courtesy to the one refused: the lock holds whatever this says.
    if (ftruncate(descriptor, 0) == 0) {
        [[maybe_unused]] const ssize_t written =
            pwrite(descriptor, contents.data(), contents.size(), 0);
    }
}

}  // namespace

PhoneLock::PhoneLock(PhoneLock&& other) noexcept
    : descriptor_(std::exchange(other.descriptor_, -1)) {}

PhoneLock& PhoneLock::operator=(PhoneLock&& other) noexcept {
    if (this != &other) {
        Release();
        descriptor_ = std::exchange(other.descriptor_, -1);
    }
    return *this;
}

PhoneLock::~PhoneLock() {
    Release();
}

void PhoneLock::Release() {
    if (descriptor_ < 0) {
        return;
    }
    // Emptied while still held, so the next reader never finds a name of
    // a holder that has gone.
    [[maybe_unused]] const int emptied = ftruncate(descriptor_, 0);
    close(std::exchange(descriptor_, -1));
}

PhoneLockAttempt TakePhoneLock(const PhoneOwner& owner) {
    PhoneLockAttempt attempt;
    if (owner.dataDirectory.empty()) {
        return attempt;
    }
    // Close-on-exec: a program the watch starts for a new message must not
    // hold the phone after the watch has ended.
    const std::filesystem::path file = owner.dataDirectory / kPhoneLockFileName;
    const int descriptor = open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (descriptor < 0) {
        attempt.ending = PhoneLockEnding::NoLockFile;
        return attempt;
    }
    int locked = -1;
    do {
        locked = flock(descriptor, LOCK_EX | LOCK_NB);
    } while (locked != 0 && errno == EINTR);
    if (locked != 0) {
        attempt.ending = errno == EWOULDBLOCK ? PhoneLockEnding::Held : PhoneLockEnding::NoLockFile;
        if (attempt.ending == PhoneLockEnding::Held) {
            attempt.holder = ReadHolder(descriptor);
        }
        close(descriptor);
        return attempt;
    }
    WriteOwner(descriptor, owner);
    attempt.ending = PhoneLockEnding::Taken;
    attempt.lock = PhoneLock(descriptor);
    return attempt;
}

std::u16string PhoneInUseText(const PhoneHolder& holder) {
    std::string who =
        holder.program.empty() ? std::string("another Mivex program") : holder.program;
    if (holder.processId != 0) {
        who += " (process " + std::to_string(holder.processId) + ")";
    }
    const std::string_view rest = holder.keepsPhone ? " - it sends and receives for you."
                                                    : " - try again when it has finished.";
    return text::Utf8ToUtf16("The phone is in use by " + who + std::string(rest))
        .value_or(u"The phone is in use by another Mivex program.");
}

}  // namespace mivex::transfer
