#include "phone/trace.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace mivex::phone {

std::string TraceStamp(std::uint64_t tickMs) {
    const std::uint64_t hundredths = tickMs / 10;
    char stamp[8];
    std::snprintf(stamp, sizeof stamp, "%02u.%02u", static_cast<unsigned>(hundredths / 100 % 100),
                  static_cast<unsigned>(hundredths % 100));
    return stamp;
}

Trace::Trace(platform::Clock& clock, std::filesystem::path directory)
    : clock_(clock), directory_(std::move(directory)) {}

Trace::~Trace() {
    CloseFile();
}

bool Trace::TraceWrite(TraceKind kind, std::string_view data) {
    const std::string stamp = TraceStamp(clock_.NowMs());
    switch (kind) {
        case TraceKind::Open:
            return CreateTraceFile() && Append(stamp + " -- Debug Output Start");
        case TraceKind::Transmit:
            return Append("\r\n" + stamp + " T\r\n") && Append(data);
        case TraceKind::Receive:
            return Append("\r\n" + stamp + " R\r\n") && Append(data);
        case TraceKind::Close: {
            const bool written = Append("\r\n" + stamp + " -- Debug Output End");
            CloseFile();
            return written;
        }
    }
    return false;
}

bool Trace::CreateTraceFile() {
    CloseFile();
    // The trace holds message texts and numbers, so only the owner may read
    // it. What is found under its name is only emptied once it is known to be
    // a plain file of ours: O_NOFOLLOW keeps a planted symlink from
    // redirecting the writes, O_NONBLOCK keeps a FIFO from holding the run up
    // waiting for a reader, and O_TRUNC waits for the checks below.
    const std::string path = FilePath().string();
    const int fd = ::open(
        path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY, 0600);
    if (fd < 0)
        return false;
    // A second name for the file (a hard link) would have another file
    // emptied and made owner-only through this one.
    struct stat info {};
    const bool ours = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) &&
                      info.st_uid == ::geteuid() && info.st_nlink == 1;
    const int flags = ::fcntl(fd, F_GETFL);
    if (!ours || ::ftruncate(fd, 0) != 0 || flags < 0 ||
        ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        ::close(fd);
        return false;
    }
    // An older file keeps its old mode through O_CREAT; tighten it too.
    (void)::fchmod(fd, 0600);
    fd_ = fd;
    return true;
}

bool Trace::Append(std::string_view bytes) {
    if (fd_ < 0)
        return false;
    while (!bytes.empty()) {
        const ssize_t count = ::write(fd_, bytes.data(), bytes.size());
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            return false;
        bytes.remove_prefix(static_cast<std::size_t>(count));
    }
    return true;
}

void Trace::CloseFile() {
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
}

}  // namespace mivex::phone
