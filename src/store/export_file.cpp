#include "store/export_file.h"

#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <optional>
#include <random>
#include <system_error>

namespace mivex::store {

namespace {

constexpr std::size_t kFlushBytes = 1 << 20;

// Holds SIGPIPE back while writing into a pipe. A reader that has gone away
// then makes write() fail with EPIPE, and the signal the write raised is
// taken back before the old mask returns, so it never ends the program.
class HeldPipeSignal {
public:
    HeldPipeSignal() {
        sigemptyset(&pipeOnly_);
        sigaddset(&pipeOnly_, SIGPIPE);
        sigset_t pending;
        wasPending_ = sigpending(&pending) == 0 && sigismember(&pending, SIGPIPE) == 1;
        pthread_sigmask(SIG_BLOCK, &pipeOnly_, &previous_);
    }
    ~HeldPipeSignal() {
        sigset_t pending;
        if (!wasPending_ && sigpending(&pending) == 0 && sigismember(&pending, SIGPIPE) == 1) {
            const struct timespec noWait {};
            while (sigtimedwait(&pipeOnly_, nullptr, &noWait) < 0 && errno == EINTR) {
            }
        }
        pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
    }
    HeldPipeSignal(const HeldPipeSignal&) = delete;
    HeldPipeSignal& operator=(const HeldPipeSignal&) = delete;

private:
    sigset_t pipeOnly_;
    sigset_t previous_;
    bool wasPending_ = false;
};

std::filesystem::path FolderOf(const std::filesystem::path& file) {
    std::filesystem::path folder = file.parent_path();
    return folder.empty() ? "." : folder;
}

// Makes a rename survive a power cut; the file itself is already on disk.
void SyncFolder(const std::filesystem::path& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

}  // namespace

ExportFile::ExportFile(std::filesystem::path target) : target_(std::move(target)) {}

ExportFile::~ExportFile() {
    Discard();
}

bool ExportFile::Create() {
    // An open without O_CREAT or O_TRUNC changes nothing; it tells what is
    // there and whether the user may write it. With O_NONBLOCK a FIFO that
    // has no reader fails at once (ENXIO) instead of waiting for one.
    const int fd = ::open(target_.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        // Nothing there: a new file. A dangling link is refused, as the
        // place it points at is not one the user chose.
        struct stat link {};
        if (errno == ENOENT && ::lstat(target_.c_str(), &link) != 0 && errno == ENOENT)
            return CreateBeside(FolderOf(target_));
        return false;
    }
    struct stat existing {};
    if (::fstat(fd, &existing) != 0) {
        ::close(fd);
        return false;
    }
    if (S_ISFIFO(existing.st_mode) || S_ISCHR(existing.st_mode)) {
        // From here on a write waits for the reader, as any writer's would.
        const int flags = ::fcntl(fd, F_GETFL);
        if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
            ::close(fd);
            return false;
        }
        fd_ = fd;
        direct_ = true;
        return true;
    }
    ::close(fd);
    if (!S_ISREG(existing.st_mode))
        return false;

    // Through a link the file it points at is replaced and the link kept.
    std::error_code error;
    std::filesystem::path file = std::filesystem::canonical(target_, error);
    if (error)
        return false;
    target_ = std::move(file);
    if (!CreateBeside(FolderOf(target_)))
        return false;
    // The new file takes the old one's place with its owner, group and
    // permissions. Only the owner or root can give a file away, so another
    // user's file is refused rather than taken over; a group that cannot be
    // kept is no reason to refuse.
    const bool otherOwner = existing.st_uid != ::geteuid();
    const uid_t owner = otherOwner ? existing.st_uid : static_cast<uid_t>(-1);
    if ((::fchown(fd_, owner, existing.st_gid) != 0 && otherOwner) ||
        ::fchmod(fd_, existing.st_mode & 07777) != 0) {
        Discard();
        return false;
    }
    return true;
}

bool ExportFile::CreateBeside(const std::filesystem::path& folder) {
    // A short name of its own, so that a target name near the file system's
    // limit of 255 bytes still has room for its temporary beside it.
    std::random_device seed;
    std::mt19937 random(seed());
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::filesystem::path candidate =
            folder / (".mivex-export." + std::to_string(random()));
        // 0666 so that the umask alone decides who may read a new document.
        fd_ = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd_ >= 0) {
            temporary_ = candidate;
            return true;
        }
        if (errno != EEXIST)
            return false;
    }
    return false;
}

void ExportFile::Append(std::u16string_view text) {
    const std::size_t start = buffer_.size();
    buffer_.resize(start + 2 * text.size());
    char* out = buffer_.data() + start;
    for (const char16_t unit : text) {
        *out++ = static_cast<char>(unit & 0xFF);
        *out++ = static_cast<char>(unit >> 8);
    }
    if (buffer_.size() >= kFlushBytes)
        Flush();
}

bool ExportFile::Commit() {
    Flush();
    const int fd = fd_;
    fd_ = -1;
    if (direct_)
        return ::close(fd) == 0 && !failed_;
    if (failed_ || ::fsync(fd) != 0) {
        ::close(fd);
        return false;
    }
    if (::close(fd) != 0 || ::rename(temporary_.c_str(), target_.c_str()) != 0)
        return false;
    temporary_.clear();
    SyncFolder(FolderOf(target_));
    return true;
}

void ExportFile::Flush() {
    std::optional<HeldPipeSignal> held;
    if (direct_ && !buffer_.empty())
        held.emplace();
    std::size_t done = 0;
    while (!failed_ && done < buffer_.size()) {
        const ssize_t written = ::write(fd_, buffer_.data() + done, buffer_.size() - done);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            failed_ = true;
        else
            done += static_cast<std::size_t>(written);
    }
    buffer_.clear();
}

void ExportFile::Discard() {
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    if (!temporary_.empty())
        ::unlink(temporary_.c_str());
    temporary_.clear();
}

}  // namespace mivex::store
