#include "phonesim/pseudo_terminal.h"

#include <fcntl.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <utility>

namespace mivex::phonesim {
namespace {

std::string SystemError(const char* what) {
    return std::string(what) + ": " + std::strerror(errno);
}

}  // namespace

std::optional<PseudoTerminal> PseudoTerminal::Open(std::string& error) {
    const int master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master < 0) {
        error = SystemError("posix_openpt");
        return std::nullopt;
    }
    std::array<char, 128> name{};
    if (grantpt(master) != 0 || unlockpt(master) != 0 ||
        ptsname_r(master, name.data(), name.size()) != 0) {
        error = SystemError("pseudo-terminal set-up");
        close(master);
        return std::nullopt;
    }
    const int slave = open(name.data(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    termios settings{};
    if (slave < 0 || tcgetattr(slave, &settings) != 0) {
        error = SystemError(name.data());
        if (slave >= 0) {
            close(slave);
        }
        close(master);
        return std::nullopt;
    }
    cfmakeraw(&settings);
    const int flags = fcntl(master, F_GETFL);
    if (tcsetattr(slave, TCSANOW, &settings) != 0 || flags < 0 ||
        fcntl(master, F_SETFL, flags | O_NONBLOCK) != 0) {
        error = SystemError("raw mode");
        close(slave);
        close(master);
        return std::nullopt;
    }
    return PseudoTerminal(master, slave, name.data());
}

PseudoTerminal::PseudoTerminal(PseudoTerminal&& other) noexcept
    : master_(std::exchange(other.master_, -1)),
      slave_(std::exchange(other.slave_, -1)),
      slavePath_(std::move(other.slavePath_)) {}

PseudoTerminal& PseudoTerminal::operator=(PseudoTerminal&& other) noexcept {
    if (this != &other) {
        Close();
        master_ = std::exchange(other.master_, -1);
        slave_ = std::exchange(other.slave_, -1);
        slavePath_ = std::move(other.slavePath_);
    }
    return *this;
}

PseudoTerminal::~PseudoTerminal() {
    Close();
}

std::size_t PseudoTerminal::UnreadByClient() const {
    int count = 0;
    if (slave_ < 0 || ioctl(slave_, FIONREAD, &count) != 0 || count < 0) {
        return 0;
    }
    return static_cast<std::size_t>(count);
}

void PseudoTerminal::Close() {
    if (master_ >= 0) {
        close(std::exchange(master_, -1));
    }
    if (slave_ >= 0) {
        close(std::exchange(slave_, -1));
    }
}

}  // namespace mivex::phonesim
