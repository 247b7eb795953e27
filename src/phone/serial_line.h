#pragma once

// The byte pipe to the phone: open and configure the port, write command bytes
// with a time-out, read an answer byte by byte until a terminator, the word
// "ERROR", a full buffer or a time-out, discard stray input, close. In trace
// mode every byte and every line failure goes to the trace.
//
// Every wait goes through the link's clock, so tests run these loops in
// virtual time.

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <utility>

#include "phone/trace.h"
#include "platform/clock.h"
#include "platform/modem_directory.h"
#include "platform/pin_prompter.h"
#include "platform/serial_device.h"
#include "platform/sounds.h"

namespace mivex::phone {

// What a connection needs besides the options and the status strip; the
// caller owns all of it and keeps it alive while any port it opened is open.
struct LinkContext {
    platform::Clock& clock;
    platform::SerialOpener& opener;
    platform::Sounds& sounds;
    // Trace mode is on while this is set. The caller opens the trace file
    // before the transfer and closes it after; records of a trace whose file
    // could not be created go nowhere.
    Trace* trace = nullptr;
    // Who is asked for the SIM card's PIN; without one a SIM that wants its
    // PIN ends the run with a text saying so.
    platform::PinPrompter* pins = nullptr;
    // The modems ModemManager holds, to say who holds a busy port; without
    // one, none are.
    platform::ModemDirectory* modems = nullptr;
};

// How a read ended; SerialReadUntil is true only for Terminator.
enum class ReadEnding { Terminator, ErrorWord, BufferFull, TimedOut, LineFailed };

// The open port; empty (isValid() false) means no connection. Move-only; the
// device is closed by ClosePort or, failing that, when the handle dies.
class PortHandle {
public:
    PortHandle() = default;
    PortHandle(std::unique_ptr<platform::SerialDevice> device, platform::Clock& clock, Trace* trace)
        : device_(std::move(device)), clock_(&clock), trace_(trace) {}
    PortHandle(PortHandle&&) noexcept = default;
    // Closes the device this handle held before taking the other's.
    PortHandle& operator=(PortHandle&& other) noexcept;
    ~PortHandle();

    [[nodiscard]] bool isValid() const { return device_ != nullptr; }

    // Only on a valid handle.
    [[nodiscard]] platform::SerialDevice& device() { return *device_; }
    [[nodiscard]] platform::Clock& clock() { return *clock_; }
    // Null outside trace mode.
    [[nodiscard]] Trace* trace() { return trace_; }
    // For an exchange that writes its own, masked, records (the SIM PIN).
    void SetTrace(Trace* trace) { trace_ = trace; }

    // In step: every answer asked for has been read, so the next answer is the
    // next command's. An exchange that does not end cleanly puts the line out
    // of step until it is brought back (see Exchange); a line that cannot be
    // brought back, or that failed, is lost for good.
    [[nodiscard]] bool InStep() const { return inStep_ && !lost_; }
    [[nodiscard]] bool Lost() const { return lost_; }
    void MarkOutOfStep() { inStep_ = false; }
    void MarkInStep() { inStep_ = true; }
    void MarkLost() { lost_ = true; }
    // How the last exchange's read ended: an answer with "ERROR" is the
    // phone's refusal, any other failure means no answer was had.
    [[nodiscard]] ReadEnding LastEnding() const { return lastEnding_; }
    void SetLastEnding(ReadEnding ending) { lastEnding_ = ending; }
    // The line speed ConfigurePort set, for waits measured in byte times.
    [[nodiscard]] std::int32_t BaudRate() const { return baudRate_; }
    void SetBaudRate(std::int32_t baudRate) { baudRate_ = baudRate; }

    // Input read past rather than taken as an answer: the phone may have
    // announced a new message in it, which a link that watches for
    // announcements must not lose. Only the newest kAsideLimit bytes stay.
    void KeepAside(std::string_view bytes);
    [[nodiscard]] std::string TakeAside() { return std::exchange(aside_, {}); }

private:
    static constexpr std::size_t kAsideLimit = 1024;

    std::unique_ptr<platform::SerialDevice> device_;
    platform::Clock* clock_ = nullptr;
    Trace* trace_ = nullptr;
    bool inStep_ = true;
    bool lost_ = false;
    ReadEnding lastEnding_ = ReadEnding::Terminator;
    std::int32_t baudRate_ = platform::LineSettings{}.baudRate;
    std::string aside_;
};

// The answer of one read, at most kResponseBufferSize bytes. The byte that
// fills it ends the read: as a success when it completes the terminator,
// otherwise as a failure, so no answer can run past it.
inline constexpr std::size_t kResponseBufferSize = 500;

class ResponseBuffer {
public:
    [[nodiscard]] std::string_view Text() const { return {bytes_.data(), length_}; }
    [[nodiscard]] std::size_t Size() const { return length_; }
    [[nodiscard]] bool Full() const { return length_ == bytes_.size(); }

    void Clear() { length_ = 0; }
    // Only when not Full().
    void Append(std::uint8_t byte) { bytes_[length_++] = static_cast<char>(byte); }

private:
    std::array<char, kResponseBufferSize> bytes_{};
    std::size_t length_ = 0;
};

// Opens the port named by the option's port part (see CutPortName) through
// the link's opener. Invalid when it cannot be opened; `failure`, when
// given, then says why.
[[nodiscard]] PortHandle OpenPort(LinkContext& link, std::u16string_view portName,
                                  platform::OpenFailure* failure = nullptr);

// Sets the line up and purges it. The line's verdict is not looked at:
// settings it refused show up as failed exchanges.
void ConfigurePort(PortHandle& port, const platform::LineSettings& settings);

// Drops unsent output and unread input.
void PurgePort(PortHandle& port);

// Writes all bytes within `timeoutMs`. Returns the byte count, or -1 when the
// line failed ("Send Error" in the trace) or the time-out cut the write short
// ("Send Timed Out").
int SerialWrite(PortHandle& port, std::span<const std::uint8_t> bytes, std::uint32_t timeoutMs);
int SerialWrite(PortHandle& port, std::string_view bytes, std::uint32_t timeoutMs);

// Reads into `answer` (cleared first) until it ends with `terminator`. True
// when the terminator arrived; false on "ERROR" anywhere in the answer (the
// next 100 ms of input are then discarded), a full buffer, a time-out or a
// failed line. The bytes received stay in `answer` in every case.
//
// Matching restarts simply: after a mismatch only the pattern's first
// character is tried again. The terminator is checked before "ERROR".
// The deadline counts from the call and is looked at only after a wait that
// brought no byte, so a line that keeps talking is read to the end, and bytes
// followed by silence can make the call last up to about twice the time-out.
[[nodiscard]] bool SerialReadUntil(PortHandle& port, ResponseBuffer& answer,
                                   std::string_view terminator, std::uint32_t timeoutMs);

// SerialReadUntil, telling why the read ended.
[[nodiscard]] ReadEnding SerialReadAnswer(PortHandle& port, ResponseBuffer& answer,
                                          std::string_view terminator, std::uint32_t timeoutMs);

// What DrainUntilQuiet found.
enum class Drained { Nothing, Bytes, LineFailed };

// Reads and discards input until none has come for `quietMs`, or `limitMs`
// have passed; what it read is kept aside on the port (see KeepAside). A quiet line costs nothing
// beyond `quietMs`; with `quietMs` 0 it only takes what is already waiting.
[[nodiscard]] Drained DrainUntilQuiet(PortHandle& port, std::uint32_t quietMs,
                                      std::uint32_t limitMs);

// Reads and discards input for `durationMs`. True when it ended by time (also
// on a line that never falls silent), false when the line failed.
bool SerialFlush(PortHandle& port, std::uint32_t durationMs);

// Closes the device; the handle becomes invalid. Harmless on an invalid one.
void ClosePort(PortHandle& port);

}  // namespace mivex::phone
