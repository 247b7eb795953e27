#include "raw_client.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <chrono>

namespace mivex::phonesim::test {
namespace {

constexpr auto kSafetyLimit = std::chrono::seconds(20);

}  // namespace

RawClient::~RawClient() {
    Close();
}

bool RawClient::Open(const std::string& path) {
    Close();
    descriptor_ = open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (descriptor_ < 0) {
        return false;
    }
    termios settings{};
    tcgetattr(descriptor_, &settings);
    cfmakeraw(&settings);
    cfsetspeed(&settings, B19200);
    hangUp_ = false;
    return tcsetattr(descriptor_, TCSANOW, &settings) == 0;
}

void RawClient::Close() {
    if (descriptor_ >= 0) {
        close(descriptor_);
        descriptor_ = -1;
    }
}

bool RawClient::Write(std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = write(descriptor_, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

bool RawClient::ReadSome(std::string& into) {
    pollfd watched{descriptor_, POLLIN, 0};
    const int ready = poll(&watched, 1, 100);
    if (ready <= 0) {
        return true;
    }
    std::array<char, 512> buffer{};
    const ssize_t count = read(descriptor_, buffer.data(), buffer.size());
    if (count > 0) {
        into.append(buffer.data(), static_cast<std::size_t>(count));
        return true;
    }
    if (count < 0 && (errno == EINTR || errno == EAGAIN)) {
        return true;
    }
    // A pseudo-terminal whose master has gone reads as EIO (or end of file).
    hangUp_ = true;
    return false;
}

std::string RawClient::ReadUntil(std::string_view terminator) {
    std::string received;
    const auto limit = std::chrono::steady_clock::now() + kSafetyLimit;
    while (received.find(terminator) == std::string::npos &&
           std::chrono::steady_clock::now() < limit) {
        if (!ReadSome(received)) {
            break;
        }
    }
    return received;
}

std::string RawClient::ReadUntilClosed() {
    std::string received;
    const auto limit = std::chrono::steady_clock::now() + kSafetyLimit;
    while (std::chrono::steady_clock::now() < limit && ReadSome(received)) {
    }
    return received;
}

}  // namespace mivex::phonesim::test
