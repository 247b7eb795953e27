#pragma once

// The serial line on Linux: a tty device opened for this program alone, in raw
// mode, read and written through poll() so every wait has a deadline and a
// vanished port ends a wait at once.

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/serial_device.h"

namespace mivex::phone {

class PosixSerialDevice final : public platform::SerialDevice {
public:
    // Opens `path` exclusively: TIOCEXCL turns away later opens by other
    // programs, and an flock() held for the device's lifetime turns away a
    // second opener that checks it, root included (TIOCEXCL does not stop
    // root). Null when the path cannot be opened, is not a terminal or is in
    // use; `failure`, when given, says which.
    [[nodiscard]] static std::unique_ptr<PosixSerialDevice> Open(
        const std::string& path, platform::OpenFailure* failure = nullptr);

    ~PosixSerialDevice() override;
    PosixSerialDevice(const PosixSerialDevice&) = delete;
    PosixSerialDevice& operator=(const PosixSerialDevice&) = delete;

    // Raw 8-bit binary line, receiver on, modem status lines ignored (CLOCAL),
    // XON/XOFF off unless flow control is Software. Baud rates the kernel has
    // no constant for, data bits outside 5-8 and unknown stop-bit codes leave
    // that setting as the port had it; 1.5 stop bits become 2 (Linux has no
    // 1.5). Flow control None clears RTS/CTS; Hardware sets RTS/CTS; Software
    // clears RTS/CTS and sets XON/XOFF both ways; other codes keep RTS/CTS as
    // read and do not touch DTR/RTS. DTR and RTS are raised for the three known
    // codes where the device has modem lines (pseudo-terminals have none).
    bool Configure(const platform::LineSettings& settings) override;
    void Purge() override;
    int Write(std::span<const std::uint8_t> bytes, std::uint32_t timeoutMs) override;
    platform::ReadResult ReadByte(std::uint8_t& byte, std::uint32_t timeoutMs) override;
    void Close() override;
    [[nodiscard]] int PollDescriptor() const override { return fd_; }

private:
    explicit PosixSerialDevice(int fd) : fd_(fd) {}

    // Fills the read-ahead from the line, waiting up to `timeoutMs`.
    platform::ReadResult Fill(std::uint32_t timeoutMs);

    int fd_ = -1;
    // Bytes taken from the kernel in one read() and handed out one at a time.
    std::array<std::uint8_t, 256> readAhead_{};
    std::size_t readAheadStart_ = 0;
    std::size_t readAheadEnd_ = 0;
};

// Opens the device a port name stands for (see DevicePathForPort).
class PosixSerialOpener final : public platform::SerialOpener {
public:
    std::unique_ptr<platform::SerialDevice> Open(std::u16string_view portName) override;
    platform::OpenedDevice OpenWithReason(std::u16string_view portName) override;
};

// What an errno from open() says about a port: EBUSY busy, EACCES and EPERM
// no permission, ENOENT, ENXIO, ENODEV and ENOTDIR absent, anything else Other.
[[nodiscard]] platform::OpenFailure OpenFailureOf(int error);

}  // namespace mivex::phone
