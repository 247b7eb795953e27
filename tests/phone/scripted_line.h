#pragma once

// A serial line in virtual time for the phone link's unit tests. Bytes are
// scheduled to arrive at given moments of a FakeClock; a read waits (moves the
// clock) until the next byte or its time-out, exactly as a real port would,
// so the read loops run in full without the tests waiting. A table of answers
// by command makes it a small phone.

#include <cstdint>
#include <deque>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "fake_clock.h"
#include "options/option_ids.h"
#include "platform/serial_device.h"

namespace mivex::phone::test {

struct WriteSeen {
    std::string bytes;
    std::uint32_t timeoutMs;
    std::uint64_t atMs;
};

enum class WriteBehaviour { Whole, Fail, Short };

// The line's state; it outlives the devices opened on it.
struct ScriptedLine {
    explicit ScriptedLine(testing::FakeClock& fakeClock) : clock(fakeClock) {}

    // Schedules `bytes` to arrive from `atMs` on, one every `gapMs`.
    void Arrive(std::string_view bytes, std::uint64_t atMs, std::uint32_t gapMs = 0);
    // Schedules `bytes` relative to the clock's present moment.
    void ArriveIn(std::string_view bytes, std::uint32_t inMs, std::uint32_t gapMs = 0) {
        Arrive(bytes, clock.NowMs() + inMs, gapMs);
    }
    [[nodiscard]] std::string Pending() const;

    testing::FakeClock& clock;
    std::deque<std::pair<std::uint64_t, char>> incoming;
    // Reads fail from this moment on, as on a vanished port.
    std::optional<std::uint64_t> failReadsAt;
    WriteBehaviour writeBehaviour = WriteBehaviour::Whole;
    // A driver that ends an empty wait early, after this long.
    std::optional<std::uint32_t> waitCapMs;

    // The phone: a write equal to a key is answered with its value after
    // answerDelayMs; other writes get no answer.
    std::map<std::string, std::string> answers;
    std::uint32_t answerDelayMs = 20;

    bool refuseOpen = false;
    std::vector<std::u16string> opened;
    std::vector<std::uint64_t> openTimes;
    std::vector<platform::LineSettings> configured;
    std::vector<std::uint64_t> configureTimes;
    std::vector<WriteSeen> writes;
    std::vector<std::uint32_t> readTimeouts;
    int purges = 0;
    int closes = 0;
};

class ScriptedDevice final : public platform::SerialDevice {
public:
    explicit ScriptedDevice(ScriptedLine& line) : line_(line) {}

    bool Configure(const platform::LineSettings& settings) override;
    void Purge() override;
    int Write(std::span<const std::uint8_t> bytes, std::uint32_t timeoutMs) override;
    platform::ReadResult ReadByte(std::uint8_t& byte, std::uint32_t timeoutMs) override;
    void Close() override;

private:
    ScriptedLine& line_;
    bool closed_ = false;
};

class ScriptedOpener final : public platform::SerialOpener {
public:
    explicit ScriptedOpener(ScriptedLine& line) : line_(line) {}
    std::unique_ptr<platform::SerialDevice> Open(std::u16string_view portName) override;

private:
    ScriptedLine& line_;
};

// Options held in maps; absent ones read as 0 or empty with a false result.
class FakeOptions final : public options::OptionReader {
public:
    bool ReadOption(options::Option option, std::int32_t& value) override;
    bool ReadOption(options::Option option, std::u16string& value) override;

    std::map<options::Option, std::int32_t> integers;
    std::map<options::Option, std::u16string> strings;
};

}  // namespace mivex::phone::test
