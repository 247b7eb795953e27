#include "phonesim/incoming_lines.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <utility>

namespace mivex::phonesim {

IncomingLines::~IncomingLines() {
    if (descriptor_ >= 0) {
        close(descriptor_);
    }
}

IncomingLines::IncomingLines(IncomingLines&& other) noexcept
    : descriptor_(std::exchange(other.descriptor_, -1)),
      partial_(std::move(other.partial_)),
      skipping_(other.skipping_) {}

IncomingLines& IncomingLines::operator=(IncomingLines&& other) noexcept {
    if (this != &other) {
        if (descriptor_ >= 0) {
            close(descriptor_);
        }
        descriptor_ = std::exchange(other.descriptor_, -1);
        partial_ = std::move(other.partial_);
        skipping_ = other.skipping_;
    }
    return *this;
}

bool IncomingLines::Open(const std::string& path, std::string& error) {
    // O_RDWR on a FIFO: the phone is a writer too, so it never reads end-of-file.
    const int descriptor = open(path.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    if (descriptor < 0) {
        error = "cannot open the incoming FIFO " + path + ": " + std::strerror(errno);
        return false;
    }
    struct stat status {};
    if (fstat(descriptor, &status) != 0 || !S_ISFIFO(status.st_mode)) {
        close(descriptor);
        error = path + " is no FIFO (make one with mkfifo)";
        return false;
    }
    *this = IncomingLines();
    descriptor_ = descriptor;
    return true;
}

std::vector<std::string> IncomingLines::ReadLines() {
    std::vector<std::string> lines;
    std::array<char, 4096> buffer{};
    while (descriptor_ >= 0) {
        const ssize_t count = read(descriptor_, buffer.data(), buffer.size());
        if (count <= 0) {
            break;  // EAGAIN: all read; an error: nothing more to take now
        }
        for (const char byte : std::string_view(buffer.data(), static_cast<std::size_t>(count))) {
            if (byte == '\n') {
                if (!skipping_ && !partial_.empty()) {
                    lines.push_back(std::exchange(partial_, {}));
                }
                partial_.clear();
                skipping_ = false;
            } else if (byte == '\r' || byte == ' ' || byte == '\t') {
                continue;
            } else if (partial_.size() >= kMaxIncomingLine) {
                skipping_ = true;
                partial_.clear();
            } else if (!skipping_) {
                partial_ += byte;
            }
        }
    }
    return lines;
}

}  // namespace mivex::phonesim
