#include "phone/posix_serial_device.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <optional>

#include "phone/port_name.h"

namespace mivex::phone {

namespace {

using platform::FlowControl;
using platform::LineSettings;
using platform::ReadResult;
using platform::StopBits;
using SteadyClock = std::chrono::steady_clock;

std::optional<speed_t> SpeedConstant(std::int32_t baudRate) {
    struct Speed {
        std::int32_t baud;
        speed_t constant;
    };
    static constexpr Speed kSpeeds[] = {
        {300, B300},       {600, B600},       {1200, B1200},     {2400, B2400},   {4800, B4800},
        {9600, B9600},     {19200, B19200},   {38400, B38400},   {57600, B57600}, {115200, B115200},
        {230400, B230400}, {460800, B460800}, {921600, B921600},
    };
    for (const Speed& speed : kSpeeds) {
        if (speed.baud == baudRate)
            return speed.constant;
    }
    return std::nullopt;
}

std::optional<tcflag_t> CharacterSize(std::int32_t dataBits) {
    switch (dataBits) {
        case 5:
            return CS5;
        case 6:
            return CS6;
        case 7:
            return CS7;
        case 8:
            return CS8;
        default:
            return std::nullopt;
    }
}

// Milliseconds left until `deadline`, for poll(); 0 once it has passed.
// Rounded up: a wait cut short by the rounding would report "no byte" before
// the time-out, and the caller, seeing its deadline not yet passed, would
// pause and wait a whole time-out more.
int RemainingMs(SteadyClock::time_point deadline) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - SteadyClock::now());
    return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

void SetFlag(tcflag_t& flags, tcflag_t flag, bool on) {
    flags = on ? (flags | flag) : (flags & ~flag);
}

void RaiseModemLines(int fd) {
    // Pseudo-terminals and some USB adapters have no modem lines and answer
    // ENOTTY or EINVAL; the line works without them, so that is no failure.
    int lines = TIOCM_DTR | TIOCM_RTS;
    (void)ioctl(fd, TIOCMBIS, &lines);
}

}  // namespace

std::unique_ptr<PosixSerialDevice> PosixSerialDevice::Open(const std::string& path,
                                                           platform::OpenFailure* failure) {
    const auto fail = [failure](platform::OpenFailure why) {
        if (failure != nullptr)
            *failure = why;
        return nullptr;
    };
    // Non-blocking so that opening a port whose carrier is down returns at
    // once; every read and write waits through poll() instead.
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return fail(OpenFailureOf(errno));
    if (!isatty(fd)) {
        ::close(fd);
        return fail(platform::OpenFailure::Other);
    }
    // A lock another program holds, or an exclusive flag it set, both mean
    // the port is in use.
    if (flock(fd, LOCK_EX | LOCK_NB) != 0 || ioctl(fd, TIOCEXCL) != 0) {
        ::close(fd);
        return fail(platform::OpenFailure::Busy);
    }
    if (failure != nullptr)
        *failure = platform::OpenFailure::None;
    return std::unique_ptr<PosixSerialDevice>(new PosixSerialDevice(fd));
}

PosixSerialDevice::~PosixSerialDevice() {
    Close();
}

bool PosixSerialDevice::Configure(const LineSettings& settings) {
    termios options{};
    if (fd_ < 0 || tcgetattr(fd_, &options) != 0)
        return false;
    const tcflag_t asRead = options.c_cflag;

    // No echo, no line editing, no CR/LF translation, no signals: the bytes of
    // AT commands, answers and hex PDUs pass unchanged.
    cfmakeraw(&options);
    options.c_cflag |= CREAD | CLOCAL;
    options.c_cflag &= ~(PARENB | PARODD | CMSPAR);
    options.c_iflag &= ~(IXON | IXOFF | IXANY);
    options.c_cc[VMIN] = 1;
    options.c_cc[VTIME] = 0;

    const std::optional<tcflag_t> size = CharacterSize(settings.dataBits);
    options.c_cflag = (options.c_cflag & ~CSIZE) | (size ? *size : (asRead & CSIZE));

    switch (settings.stopBits) {
        case StopBits::One:
            SetFlag(options.c_cflag, CSTOPB, false);
            break;
        case StopBits::OneAndHalf:  // a receiver expecting 1.5 reads 2 without fault
        case StopBits::Two:
            SetFlag(options.c_cflag, CSTOPB, true);
            break;
        default:
            SetFlag(options.c_cflag, CSTOPB, (asRead & CSTOPB) != 0);
            break;
    }

    const bool knownFlowControl = settings.flowControl == FlowControl::None ||
                                  settings.flowControl == FlowControl::Hardware ||
                                  settings.flowControl == FlowControl::Software;
    switch (settings.flowControl) {
        case FlowControl::None:
            SetFlag(options.c_cflag, CRTSCTS, false);
            break;
        case FlowControl::Hardware:
            SetFlag(options.c_cflag, CRTSCTS, true);
            break;
        case FlowControl::Software:
            SetFlag(options.c_cflag, CRTSCTS, false);
            options.c_iflag |= IXON | IXOFF;
            break;
        default:
            SetFlag(options.c_cflag, CRTSCTS, (asRead & CRTSCTS) != 0);
            break;
    }

    if (const std::optional<speed_t> speed = SpeedConstant(settings.baudRate)) {
        cfsetispeed(&options, *speed);
        cfsetospeed(&options, *speed);
    }

    const bool applied = tcsetattr(fd_, TCSANOW, &options) == 0;
    if (knownFlowControl)
        RaiseModemLines(fd_);
    return applied;
}

void PosixSerialDevice::Purge() {
    readAheadStart_ = readAheadEnd_ = 0;
    if (fd_ >= 0)
        (void)tcflush(fd_, TCIOFLUSH);
}

int PosixSerialDevice::Write(std::span<const std::uint8_t> bytes, std::uint32_t timeoutMs) {
    if (fd_ < 0)
        return -1;
    const auto deadline = SteadyClock::now() + std::chrono::milliseconds(timeoutMs);
    std::size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t count = ::write(fd_, bytes.data() + written, bytes.size() - written);
        if (count > 0) {
            written += static_cast<std::size_t>(count);
            continue;
        }
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0 && errno != EAGAIN)
            return -1;
        const int waitMs = RemainingMs(deadline);
        if (waitMs == 0)
            break;
        pollfd ready{fd_, POLLOUT, 0};
        const int polled = poll(&ready, 1, waitMs);
        if (polled < 0 && errno != EINTR)
            return -1;
        if (polled > 0 && (ready.revents & (POLLERR | POLLHUP | POLLNVAL)) != 0)
            return -1;
    }
    return static_cast<int>(written);
}

ReadResult PosixSerialDevice::ReadByte(std::uint8_t& byte, std::uint32_t timeoutMs) {
    if (readAheadStart_ == readAheadEnd_) {
        const ReadResult filled = Fill(timeoutMs);
        if (filled != ReadResult::Byte)
            return filled;
    }
    byte = readAhead_[readAheadStart_++];
    return ReadResult::Byte;
}

ReadResult PosixSerialDevice::Fill(std::uint32_t timeoutMs) {
    if (fd_ < 0)
        return ReadResult::Error;
    const auto deadline = SteadyClock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        pollfd ready{fd_, POLLIN, 0};
        const int polled = poll(&ready, 1, RemainingMs(deadline));
        if (polled < 0) {
            if (errno == EINTR)
                continue;
            return ReadResult::Error;
        }
        if (polled == 0)
            return ReadResult::NoByte;
        if ((ready.revents & POLLIN) == 0)
            return ReadResult::Error;  // POLLHUP, POLLERR or POLLNVAL alone: the line is gone
        const ssize_t count = ::read(fd_, readAhead_.data(), readAhead_.size());
        if (count > 0) {
            readAheadStart_ = 0;
            readAheadEnd_ = static_cast<std::size_t>(count);
            return ReadResult::Byte;
        }
        // poll() said readable, so 0 bytes is end of file: the other end hung up.
        if (count == 0 || (errno != EINTR && errno != EAGAIN))
            return ReadResult::Error;
        if (RemainingMs(deadline) == 0)
            return ReadResult::NoByte;
    }
}

void PosixSerialDevice::Close() {
    if (fd_ < 0)
        return;
    // The exclusive flag belongs to the tty, not to this descriptor; another
    // descriptor still open on it would otherwise keep the port barred.
    (void)ioctl(fd_, TIOCNXCL);
    ::close(fd_);
    fd_ = -1;
    readAheadStart_ = readAheadEnd_ = 0;
}

std::unique_ptr<platform::SerialDevice> PosixSerialOpener::Open(std::u16string_view portName) {
    return OpenWithReason(portName).device;
}

platform::OpenedDevice PosixSerialOpener::OpenWithReason(std::u16string_view portName) {
    const std::optional<std::string> path = DevicePathForPort(portName);
    if (!path)
        return {nullptr, platform::OpenFailure::Absent};
    platform::OpenedDevice opened;
    opened.device = PosixSerialDevice::Open(*path, &opened.failure);
    return opened;
}

platform::OpenFailure OpenFailureOf(int error) {
    switch (error) {
        case ENOENT:
        case ENXIO:
        case ENODEV:
        case ENOTDIR:
            return platform::OpenFailure::Absent;
        case EBUSY:
            return platform::OpenFailure::Busy;
        case EACCES:
        case EPERM:
            return platform::OpenFailure::Permission;
        default:
            return platform::OpenFailure::Other;
    }
}

}  // namespace mivex::phone
