#include "scripted_line.h"

#include <algorithm>

namespace mivex::phone::test {

using platform::ReadResult;

void ScriptedLine::ArriveIn(std::string_view bytes, std::uint32_t inMs, std::uint32_t gapMs) {
    std::uint64_t atMs = clock.NowMs() + inMs;
    for (const char byte : bytes) {
        incoming.emplace_back(atMs, byte);
        atMs += gapMs;
    }
    std::stable_sort(incoming.begin(), incoming.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
}

std::string ScriptedLine::Pending() const {
    std::string bytes;
    for (const auto& [at, byte] : incoming)
        bytes += byte;
    return bytes;
}

bool ScriptedDevice::Configure(const platform::LineSettings& settings) {
    line_.configured.push_back(settings);
    line_.configureTimes.push_back(line_.clock.NowMs());
    return !closed_;
}

void ScriptedDevice::Purge() {
    ++line_.purges;
    const std::uint64_t now = line_.clock.NowMs();
    while (!line_.incoming.empty() && line_.incoming.front().first <= now)
        line_.incoming.pop_front();
}

int ScriptedDevice::Write(std::span<const std::uint8_t> bytes, std::uint32_t timeoutMs) {
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

ReadResult ScriptedDevice::ReadByte(std::uint8_t& byte, std::uint32_t timeoutMs) {
    line_.readTimeouts.push_back(timeoutMs);
    if (closed_)
        return ReadResult::Error;
    const std::uint64_t now = line_.clock.NowMs();
    const std::uint64_t until = now + std::min(timeoutMs, line_.waitCapMs.value_or(timeoutMs));
    // The read ends at the first of: a byte, the line failing, the time-out.
    std::uint64_t end = until;
    if (!line_.incoming.empty())
        end = std::min(end, std::max(now, line_.incoming.front().first));
    if (line_.failReadsAt)
        end = std::min(end, std::max(now, *line_.failReadsAt));
    line_.clock.Advance(end - now);
    if (line_.failReadsAt && *line_.failReadsAt <= end)
        return ReadResult::Error;
    if (!line_.incoming.empty() && line_.incoming.front().first <= end) {
        byte = static_cast<std::uint8_t>(line_.incoming.front().second);
        line_.incoming.pop_front();
        return ReadResult::Byte;
    }
    return ReadResult::NoByte;
}

void ScriptedDevice::Close() {
    if (!closed_)
        ++line_.closes;
    closed_ = true;
}

std::unique_ptr<platform::SerialDevice> ScriptedOpener::Open(std::u16string_view portName) {
    line_.opened.emplace_back(portName);
    line_.openTimes.push_back(line_.clock.NowMs());
    return line_.refuseOpen ? nullptr : std::make_unique<ScriptedDevice>(line_);
}

}  // namespace mivex::phone::test
