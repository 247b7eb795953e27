#pragma once

// A serial line in virtual time: bytes arrive at given moments of a
// FakeClock and a read moves the clock to the next byte or its time-out, as a
// real port would, so read loops run in full without waiting. A table of
// answers by command makes it a small phone.

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "fake_clock.h"
#include "platform/serial_device.h"

namespace mivex::phone::test {

struct WriteSeen {
    std::string bytes;
    std::uint32_t timeoutMs;
};

enum class WriteBehaviour { Whole, Fail, Short };

// The line's state; it outlives the devices opened on it.
struct ScriptedLine {
    explicit ScriptedLine(testing::FakeClock& fakeClock) : clock(fakeClock) {}

    // Schedules `bytes` to arrive `inMs` from now on, one every `gapMs`.
    void ArriveIn(std::string_view bytes, std::uint32_t inMs, std::uint32_t gapMs = 0);
    [[nodiscard]] std::string Pending() const;

    testing::FakeClock& clock;
    std::deque<std::pair<std::uint64_t, char>> incoming;
    // Reads fail from this moment on, as on a vanished port.
    std::optional<std::uint64_t> failReadsAt;
    WriteBehaviour writeBehaviour = WriteBehaviour::Whole;
    // A driver that ends an empty wait early, after this long.
    std::optional<std::uint32_t> waitCapMs;

    // The phone: a write equal to a key is answered with its value 20 ms
    // later; other writes get no answer.
    std::map<std::string, std::string> answers;
    // Or a phone of the test's own, told of every write the line takes.
    std::function<void(std::string_view)> onWrite;

    bool refuseOpen = false;
    std::vector<std::u16string> opened;
    std::vector<std::uint64_t> openTimes;
    std::vector<platform::LineSettings> configured;
    std::vector<std::uint64_t> configureTimes;
    std::vector<WriteSeen> writes;
    std::vector<std::uint32_t> readTimeouts;
    int purges = 0, closes = 0;
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

}  // namespace mivex::phone::test
