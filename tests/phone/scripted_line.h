#pragma once

// A serial line in virtual time: bytes arrive at given moments of a
// FakeClock and a read moves the clock to the next byte or its time-out, as a
// real port would, so read loops run in full without waiting. A table of
// answers by command makes it a small phone.

#include <algorithm>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
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
    void ArriveIn(std::string_view bytes, std::uint32_t inMs, std::uint32_t gapMs = 0) {
        std::uint64_t atMs = clock.NowMs() + inMs;
        for (const char byte : bytes) {
            incoming.emplace_back(atMs, byte);
            atMs += gapMs;
        }
        std::stable_sort(incoming.begin(), incoming.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
    }
    [[nodiscard]] std::string Pending() const {
        std::string bytes;
        for (const auto& [at, byte] : incoming)
            bytes += byte;
        return bytes;
    }

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

    bool Configure(const platform::LineSettings& settings) override {
        line_.configured.push_back(settings);
        line_.configureTimes.push_back(line_.clock.NowMs());
        return !closed_;
    }

    void Purge() override {
        ++line_.purges;
        const std::uint64_t now = line_.clock.NowMs();
        while (!line_.incoming.empty() && line_.incoming.front().first <= now)
            line_.incoming.pop_front();
    }

    int Write(std::span<const std::uint8_t> bytes, std::uint32_t timeoutMs) override {
        if (closed_)
            return -1;
        const std::string text(bytes.begin(), bytes.end());
        line_.writes.push_back({text, timeoutMs});
        switch (line_.writeBehaviour) {
            case WriteBehaviour::Fail:
                return -1;
            case WriteBehaviour::Short:
                line_.clock.Advance(timeoutMs);
                return static_cast<int>(bytes.size() / 2);
            case WriteBehaviour::Whole:
                break;
        }
        if (const auto answer = line_.answers.find(text); answer != line_.answers.end())
            line_.ArriveIn(answer->second, 20);
        if (line_.onWrite)
            line_.onWrite(text);
        return static_cast<int>(bytes.size());
    }

    platform::ReadResult ReadByte(std::uint8_t& byte, std::uint32_t timeoutMs) override {
        using platform::ReadResult;
        line_.readTimeouts.push_back(timeoutMs);
        if (closed_)
            return ReadResult::Error;
        const std::uint64_t now = line_.clock.NowMs();
        // The read ends at the first of: a byte, the line failing, the time-out.
        std::uint64_t end = now + std::min(timeoutMs, line_.waitCapMs.value_or(timeoutMs));
        if (!line_.incoming.empty())
            end = std::min(end, std::max(now, line_.incoming.front().first));
        if (line_.failReadsAt)
            end = std::min(end, std::max(now, *line_.failReadsAt));
        line_.clock.Advance(end - now);
        if (line_.failReadsAt && *line_.failReadsAt <= end)
            return ReadResult::Error;
        if (line_.incoming.empty() || line_.incoming.front().first > end)
            return ReadResult::NoByte;
        byte = static_cast<std::uint8_t>(line_.incoming.front().second);
        line_.incoming.pop_front();
        return ReadResult::Byte;
    }

    void Close() override {
        if (!closed_)
            ++line_.closes;
        closed_ = true;
    }

private:
    ScriptedLine& line_;
    bool closed_ = false;
};

class ScriptedOpener final : public platform::SerialOpener {
public:
    explicit ScriptedOpener(ScriptedLine& line) : line_(line) {}
    std::unique_ptr<platform::SerialDevice> Open(std::u16string_view portName) override {
        line_.opened.emplace_back(portName);
        line_.openTimes.push_back(line_.clock.NowMs());
        return line_.refuseOpen ? nullptr : std::make_unique<ScriptedDevice>(line_);
    }

private:
    ScriptedLine& line_;
};

}  // namespace mivex::phone::test
