#include "phone/serial_line.h"

namespace mivex::phone {

namespace {

using platform::ReadResult;

constexpr std::string_view kErrorWord = "ERROR";
// How long the rest of an error answer is given to arrive before it is dropped.
constexpr std::uint32_t kErrorDrainMs = 100;
// The pause between two reads that brought nothing.
constexpr std::uint32_t kPollPauseMs = 100;

// Counts how much of a pattern the latest bytes match, restarting at the
// pattern's first character after a mismatch (no full substring search).
class RestartMatcher {
public:
    explicit RestartMatcher(std::string_view pattern) : pattern_(pattern) {}

    // True when `byte` completes the pattern.
    bool Feed(char byte) {
        if (byte == pattern_[matched_])
            ++matched_;
        else
            matched_ = byte == pattern_[0] ? 1 : 0;
        return matched_ == pattern_.size();
    }

private:
    std::string_view pattern_;
    std::size_t matched_ = 0;
};

void TraceRecord(PortHandle& port, TraceKind kind, std::string_view data) {
    if (Trace* trace = port.trace())
        trace->TraceWrite(kind, data);
}

// The bytes so far and then a failure note, as two Receive records.
void TraceReceiveFailure(PortHandle& port, const ResponseBuffer& answer, std::string_view note) {
    TraceRecord(port, TraceKind::Receive, answer.Text());
    TraceRecord(port, TraceKind::Receive, note);
}

}  // namespace

PortHandle& PortHandle::operator=(PortHandle&& other) noexcept {
    if (this != &other) {
        if (device_)
            device_->Close();
        device_ = std::move(other.device_);
        clock_ = other.clock_;
        trace_ = other.trace_;
        inStep_ = other.inStep_;
        lost_ = other.lost_;
        lastEnding_ = other.lastEnding_;
        baudRate_ = other.baudRate_;
    }
    return *this;
}

PortHandle::~PortHandle() {
    if (device_)
        device_->Close();
}

PortHandle OpenPort(LinkContext& link, std::u16string_view portName,
                    platform::OpenFailure* failure) {
    platform::OpenedDevice opened = link.opener.OpenWithReason(portName);
    if (failure != nullptr)
        *failure = opened.failure;
    if (!opened.device)
        return {};
    return PortHandle(std::move(opened.device), link.clock, link.trace);
}

void ConfigurePort(PortHandle& port, const platform::LineSettings& settings) {
    if (!port.isValid())
        return;
    (void)port.device().Configure(settings);
    if (settings.baudRate > 0)
        port.SetBaudRate(settings.baudRate);
    port.device().Purge();
}

void PurgePort(PortHandle& port) {
    if (port.isValid())
        port.device().Purge();
}

int SerialWrite(PortHandle& port, std::span<const std::uint8_t> bytes, std::uint32_t timeoutMs) {
    const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    const int written = port.isValid() ? port.device().Write(bytes, timeoutMs) : -1;
    TraceRecord(port, TraceKind::Transmit, text);
    if (written < 0) {
        TraceRecord(port, TraceKind::Transmit, "Send Error");
        return -1;
    }
    if (static_cast<std::size_t>(written) < bytes.size()) {
        TraceRecord(port, TraceKind::Transmit, "Send Timed Out");
        return -1;
    }
    return written;
}

int SerialWrite(PortHandle& port, std::string_view bytes, std::uint32_t timeoutMs) {
    return SerialWrite(port, {reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()},
                       timeoutMs);
}

ReadEnding SerialReadAnswer(PortHandle& port, ResponseBuffer& answer, std::string_view terminator,
                            std::uint32_t timeoutMs) {
    answer.Clear();
    if (!port.isValid())
        return ReadEnding::LineFailed;
    if (terminator.empty())
        return ReadEnding::TimedOut;
    platform::Clock& clock = port.clock();
    const std::uint64_t start = clock.NowMs();
    RestartMatcher terminatorMatch(terminator);
    RestartMatcher errorMatch(kErrorWord);

    for (;;) {
        std::uint8_t byte = 0;
        const ReadResult read = port.device().ReadByte(byte, timeoutMs);
        if (read == ReadResult::Error) {
            TraceReceiveFailure(port, answer, "Receive Error!");
            return ReadEnding::LineFailed;
        }
        if (read == ReadResult::NoByte) {
            TraceReceiveFailure(port, answer, "No Bytes received!");
            if (clock.NowMs() >= start + timeoutMs) {
                TraceReceiveFailure(port, answer, "Receive Timeout!");
                return ReadEnding::TimedOut;
            }
            clock.SleepMs(kPollPauseMs);
            continue;
        }
        answer.Append(byte);
        const char received = static_cast<char>(byte);
        if (terminatorMatch.Feed(received)) {
            TraceRecord(port, TraceKind::Receive, answer.Text());
            return ReadEnding::Terminator;
        }
        if (errorMatch.Feed(received)) {
            TraceRecord(port, TraceKind::Receive, answer.Text());
            (void)SerialFlush(port, kErrorDrainMs);
            return ReadEnding::ErrorWord;
        }
        if (answer.Full()) {
            TraceReceiveFailure(port, answer, "Buffer Full Error!");
            return ReadEnding::BufferFull;
        }
    }
}

bool SerialReadUntil(PortHandle& port, ResponseBuffer& answer, std::string_view terminator,
                     std::uint32_t timeoutMs) {
    return SerialReadAnswer(port, answer, terminator, timeoutMs) == ReadEnding::Terminator;
}

void PortHandle::KeepAside(std::string_view bytes) {
    if (bytes.size() >= kAsideLimit) {
        aside_.assign(bytes.substr(bytes.size() - kAsideLimit));
        return;
    }
    const std::size_t total = aside_.size() + bytes.size();
    if (total > kAsideLimit)
        aside_.erase(0, total - kAsideLimit);
    aside_ += bytes;
}

Drained DrainUntilQuiet(PortHandle& port, std::uint32_t quietMs, std::uint32_t limitMs) {
    if (!port.isValid())
        return Drained::LineFailed;
    platform::Clock& clock = port.clock();
    const std::uint64_t start = clock.NowMs();
    std::string dropped;
    Drained result = Drained::Nothing;
    for (;;) {
        std::uint8_t byte = 0;
        const ReadResult read = port.device().ReadByte(byte, quietMs);
        if (read == ReadResult::Error) {
            result = Drained::LineFailed;
            break;
        }
        if (read == ReadResult::NoByte)
            break;
        dropped.push_back(static_cast<char>(byte));
        result = Drained::Bytes;
        if (clock.NowMs() >= start + limitMs)
            break;
    }
    if (!dropped.empty()) {
        TraceRecord(port, TraceKind::Receive, dropped);
        port.KeepAside(dropped);
    }
    return result;
}

bool SerialFlush(PortHandle& port, std::uint32_t durationMs) {
    if (!port.isValid())
        return false;
    platform::Clock& clock = port.clock();
    const std::uint64_t start = clock.NowMs();
    // A new message's announcement may come in while the line is flushed
    // (after an ERROR, say); it is kept aside with the rest, not lost.
    std::string flushed;
    bool lineWorks = true;
    for (;;) {
        std::uint8_t byte = 0;
        const ReadResult read = port.device().ReadByte(byte, durationMs);
        if (read == ReadResult::Error) {
            TraceRecord(port, TraceKind::Receive, "Flush Buffer Receive Error!");
            lineWorks = false;
            break;
        }
        if (read == ReadResult::Byte) {
            TraceRecord(port, TraceKind::Receive, {reinterpret_cast<const char*>(&byte), 1});
            flushed.push_back(static_cast<char>(byte));
        }
        // Checked after bytes too, so a line that never falls silent cannot
        // hold the program here for ever.
        if (clock.NowMs() >= start + durationMs)
            break;
        if (read == ReadResult::NoByte)
            clock.SleepMs(kPollPauseMs);
    }
    if (!flushed.empty())
        port.KeepAside(flushed);
    return lineWorks;
}

void ClosePort(PortHandle& port) {
    port = PortHandle{};
}

}  // namespace mivex::phone
