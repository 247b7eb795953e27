#include "raw_client.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <chrono>

namespace mivex::phonesim::test {

bool RawClient::Open(const std::string& path) {
    Close();
    descriptor_ = open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    termios settings{};
    if (descriptor_ < 0 || tcgetattr(descriptor_, &settings) != 0)
        return false;
    cfmakeraw(&settings);
    cfsetspeed(&settings, B19200);
    return tcsetattr(descriptor_, TCSANOW, &settings) == 0;
}

void RawClient::Close() {
    if (descriptor_ >= 0)
        close(descriptor_);
    descriptor_ = -1;
}

bool RawClient::Write(std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = write(descriptor_, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

std::string RawClient::ReadUntil(std::string_view terminator) {
    std::string received;
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (received.find(terminator) == std::string::npos &&
           std::chrono::steady_clock::now() < limit) {
        pollfd watched{descriptor_, POLLIN, 0};
        if (poll(&watched, 1, 100) <= 0)
            continue;
        std::array<char, 512> buffer{};
        const ssize_t count = read(descriptor_, buffer.data(), buffer.size());
        if (count > 0)
            received.append(buffer.data(), static_cast<std::size_t>(count));
        else if (count == 0 || (errno != EINTR && errno != EAGAIN))
            break;  // the far end is gone
    }
    return received;
}

}  // namespace mivex::phonesim::test
