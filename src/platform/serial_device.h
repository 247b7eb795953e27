#pragma once

// The serial line to the phone, as thin as the phone link needs it: configure,
// purge, write with a time-out, read one byte with a time-out, close. The
// Linux implementation lives in phone/posix_serial_device.h; tests hand the
// phone link scripted devices through a SerialOpener of their own.
//
// Contract of every device:
// - Write returns the number of bytes written before the time-out ran out
//   (fewer than asked means the time-out cut it short) or -1 when the line
//   failed. A time-out of 0 writes what the line takes at once.
// - ReadByte returns Byte at once when a byte is waiting, otherwise when one
//   arrives; NoByte when none came within the time-out; Error when the line
//   failed or went away (a vanished USB adapter, a closed pseudo-terminal),
//   also in the middle of a wait: a dead line never makes a read wait out its
//   whole time-out.
// - Interrupted and would-block system calls are retried inside the device,
//   never reported.

#include <cstdint>
#include <memory>
#include <span>
#include <string_view>

namespace mivex::platform {

// Stop-bit codes as the options keep them.
enum class StopBits : std::int32_t { One = 0, OneAndHalf = 1, Two = 2 };

// Flow-control codes as the options keep them. Codes outside these three are
// possible (the options store any integer) and leave the handshake as the
// port has it.
enum class FlowControl : std::int32_t { None = 0, Hardware = 1, Software = 2 };

// Parity is always none; there is no setting for it.
struct LineSettings {
    std::int32_t baudRate = 19200;
    std::int32_t dataBits = 8;
    StopBits stopBits = StopBits::One;
    FlowControl flowControl = FlowControl::None;
};

enum class ReadResult { Byte, NoByte, Error };

class SerialDevice {
public:
    virtual ~SerialDevice() = default;

    // Applies the settings; a value the line cannot take leaves that part of
    // the line as it was. False when the line refused the settings as a whole
    // (the phone link goes on and lets the exchanges fail instead).
    virtual bool Configure(const LineSettings& settings) = 0;
    // Drops unsent output and unread input.
    virtual void Purge() = 0;
    virtual int Write(std::span<const std::uint8_t> bytes, std::uint32_t timeoutMs) = 0;
    virtual ReadResult ReadByte(std::uint8_t& byte, std::uint32_t timeoutMs) = 0;
    // Releases the line; later calls fail. Closing twice is harmless.
    virtual void Close() = 0;
    // A descriptor poll() reports input on, for waits that must sleep until
    // the phone speaks; -1 where there is none. Bytes already taken into the
    // device's own buffer are not seen by poll(): read those first.
    [[nodiscard]] virtual int PollDescriptor() const { return -1; }
};

// Why a port did not open, so the user can be told what to do about it.
enum class OpenFailure {
    None,        // it opened
    Absent,      // no such device (unplugged, mistyped)
    Busy,        // another program holds it
    Permission,  // this user may not open it (not in the dialout group)
    Other,       // not a terminal, or any other failure
};

struct OpenedDevice {
    std::unique_ptr<SerialDevice> device;  // null when the port did not open
    OpenFailure failure = OpenFailure::None;
};

class SerialOpener {
public:
    virtual ~SerialOpener() = default;

    // Opens the port for this program alone. `portName` is the port part of
    // the option, up to and including its first colon ("COM1:",
    // "/dev/ttyUSB0:"). Null when the port cannot be opened or is in use.
    virtual std::unique_ptr<SerialDevice> Open(std::u16string_view portName) = 0;

    // Open, telling why it failed. Openers that cannot tell report Other.
    virtual OpenedDevice OpenWithReason(std::u16string_view portName) {
        OpenedDevice opened{Open(portName), OpenFailure::None};
        if (!opened.device)
            opened.failure = OpenFailure::Other;
        return opened;
    }
};

}  // namespace mivex::platform
