#include "phonesim/pty_runner.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <thread>
#include <utility>

namespace mivex::phonesim {
namespace {

// When a client writes but never reads, the phone stops reading too once this
// much is waiting, rather than queueing answers without end.
constexpr std::size_t kMaxPending = 1 << 20;
constexpr std::size_t kReadChunk = 4096;

std::string SystemError(const char* what) {
    return std::string(what) + ": " + std::strerror(errno);
}

// Closing the master flushes what the client has not read, so a cut waits
// for the client to take the bytes before it. A client that never reads does
// not keep the line alive for longer than this.
constexpr auto kDrainLimit = std::chrono::seconds(2);
constexpr auto kDrainCheck = std::chrono::milliseconds(10);

void WaitUntilDrained(const PseudoTerminal& terminal) {
    const auto limit = std::chrono::steady_clock::now() + kDrainLimit;
    // Two quiet checks in a row: bytes in flight to the client's side are
    // counted only once they have arrived there.
    int quietChecks = 0;
    while (quietChecks < 2 && std::chrono::steady_clock::now() < limit) {
        std::this_thread::sleep_for(kDrainCheck);
        quietChecks = terminal.UnreadByClient() == 0 ? quietChecks + 1 : 0;
    }
}

}  // namespace

PtyRunner::PtyRunner(PseudoTerminal terminal, Interpreter interpreter, int baudRate,
                     PhoneObserver* observer)
    : terminal_(std::move(terminal)),
      interpreter_(std::move(interpreter)),
      pacer_(baudRate),
      observer_(observer),
      devicePath_(terminal_.SlavePath()) {
    std::array<int, 2> ends{-1, -1};
    if (pipe2(ends.data(), O_CLOEXEC | O_NONBLOCK) == 0) {
        stopRead_ = ends[0];
        stopWrite_ = ends[1];
    }
}

PtyRunner::~PtyRunner() {
    for (const int descriptor : {stopRead_, stopWrite_}) {
        if (descriptor >= 0) {
            close(descriptor);
        }
    }
}

void PtyRunner::RequestStop() const {
    const char wake = 1;
    // A full pipe already holds a request; nothing else can go wrong worth reporting.
    [[maybe_unused]] const ssize_t ignored = write(stopWrite_, &wake, 1);
}

RunnerStats PtyRunner::Stats() const {
    return {bytesRead_.load(), bytesWritten_.load(), pacedBytes_.load()};
}

int PtyRunner::PollTimeoutMilliseconds(LinePacer::Clock::time_point now) const {
    if (pending_.empty()) {
        return -1;
    }
    const auto wait = pacer_.WaitBeforeNext(now);
    // Rounded up, so the loop never wakes just before a byte is due and spins.
    const auto milliseconds = std::chrono::ceil<std::chrono::milliseconds>(wait).count();
    return static_cast<int>(std::clamp<std::int64_t>(milliseconds, 0, 1000));
}

bool PtyRunner::ReadClient(std::string& error) {
    std::array<char, kReadChunk> buffer{};
    const ssize_t count = read(terminal_.Master(), buffer.data(), buffer.size());
    if (count < 0) {
        if (errno == EAGAIN || errno == EINTR) {
            return true;
        }
        error = SystemError("reading the pseudo-terminal");
        return false;
    }
    bytesRead_ += static_cast<std::uint64_t>(count);
    const InterpreterOutput output =
        interpreter_.Feed(std::string_view(buffer.data(), static_cast<std::size_t>(count)));
    if (!output.bytes.empty()) {
        if (pending_.empty()) {
            pacer_.Start(LinePacer::Clock::now());
        }
        if (output.cutAt && !cutAt_) {
            cutAt_ = queuedTotal_ + *output.cutAt;
        }
        pending_ += output.bytes;
        queuedTotal_ += output.bytes.size();
    } else if (output.cutAt && !cutAt_) {
        cutAt_ = queuedTotal_;
    }
    if (observer_ != nullptr) {
        observer_->OnOutput(output, interpreter_.Stores());
    }
    return true;
}

bool PtyRunner::WritePending(LinePacer::Clock::time_point now, std::string& error) {
    std::size_t count = std::min(pending_.size(), pacer_.Allowance(now));
    if (cutAt_) {
        count = std::min<std::uint64_t>(count, *cutAt_ - writtenTotal_);
    }
    if (count > 0) {
        const ssize_t written = write(terminal_.Master(), pending_.data(), count);
        if (written < 0 && errno != EAGAIN && errno != EINTR) {
            error = SystemError("writing the pseudo-terminal");
            return false;
        }
        if (written > 0) {
            const auto done = static_cast<std::size_t>(written);
            pending_.erase(0, done);
            writtenTotal_ += done;
            pacer_.Sent(done);
            bytesWritten_ += done;
            if (pacer_.Paced()) {
                pacedBytes_ += done;
            }
        }
    }
    return true;
}

RunResult PtyRunner::Run() {
    if (stopRead_ < 0) {
        return {StopReason::Failed, "no stop pipe"};
    }
    std::string error;
    while (true) {
        if (cutAt_ && writtenTotal_ >= *cutAt_) {
            WaitUntilDrained(terminal_);
            terminal_.Close();
            return {StopReason::LineCut, {}};
        }
        const auto now = LinePacer::Clock::now();
        const bool mayWrite = !pending_.empty() && pacer_.Allowance(now) > 0;
        std::array<pollfd, 2> watched{{
            {terminal_.Master(),
             static_cast<short>((pending_.size() < kMaxPending ? POLLIN : 0) |
                                (mayWrite ? POLLOUT : 0)),
             0},
            {stopRead_, POLLIN, 0},
        }};
        const int ready =
            poll(watched.data(), watched.size(), mayWrite ? -1 : PollTimeoutMilliseconds(now));
        if (ready < 0) {
            if (errno == EINTR) {
                continue;
            }
            terminal_.Close();
            return {StopReason::Failed, SystemError("poll")};
        }
        if ((watched[1].revents & POLLIN) != 0) {
            terminal_.Close();
            return {StopReason::Stopped, {}};
        }
        const short events = watched[0].revents;
        if ((events & POLLIN) != 0 && !ReadClient(error)) {
            terminal_.Close();
            return {StopReason::Failed, error};
        }
        if ((events & POLLNVAL) != 0) {
            return {StopReason::Failed, "the pseudo-terminal was closed"};
        }
        if (!pending_.empty() && !WritePending(LinePacer::Clock::now(), error)) {
            terminal_.Close();
            return {StopReason::Failed, error};
        }
    }
}

}  // namespace mivex::phonesim
