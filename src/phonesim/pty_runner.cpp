#include "phonesim/pty_runner.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <string_view>
#include <thread>
#include <utility>

namespace mivex::phonesim {
namespace {

// When a client writes but never reads, the phone stops reading too once this
// much is waiting, rather than queueing answers without end.
constexpr std::size_t kMaxPending = 1 << 20;
constexpr std::size_t kReadChunk = 4096;
constexpr auto kWakeMargin = std::chrono::microseconds(1);
// What the plug pipe carries.
constexpr char kUnplugByte = 'u';
constexpr char kReplugByte = 'r';
// How often reports the network has still to send are looked at; they are
// due at whole milliseconds of a clock the runner cannot wait on directly.
constexpr auto kReportCheck = std::chrono::milliseconds(50);

std::optional<std::array<int, 2>> MakePipe() {
    std::array<int, 2> ends{-1, -1};
    if (pipe2(ends.data(), O_CLOEXEC | O_NONBLOCK) != 0) {
        return std::nullopt;
    }
    return ends;
}

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
      inputPacer_(baudRate),
      observer_(observer),
      devicePath_(terminal_.SlavePath()) {
    if (const auto ends = MakePipe()) {
        stopRead_ = (*ends)[0];
        stopWrite_ = (*ends)[1];
    }
    if (const auto ends = MakePipe()) {
        plugRead_ = (*ends)[0];
        plugWrite_ = (*ends)[1];
    }
}

PtyRunner::~PtyRunner() {
    for (const int descriptor : {stopRead_, stopWrite_, plugRead_, plugWrite_}) {
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

void PtyRunner::RequestUnplug() const {
    [[maybe_unused]] const ssize_t ignored = write(plugWrite_, &kUnplugByte, 1);
}

void PtyRunner::RequestReplug() const {
    [[maybe_unused]] const ssize_t ignored = write(plugWrite_, &kReplugByte, 1);
}

void PtyRunner::Unplug() {
    terminal_.Close();
    interpreter_.Unplug();
    // What was on the line goes with it.
    incoming_.clear();
    pending_.clear();
    held_.clear();
    writtenTotal_ = queuedTotal_;
    cutAt_.reset();
}

bool PtyRunner::TakePlugRequests(std::string& error) {
    std::array<char, 64> requests{};
    const ssize_t count = read(plugRead_, requests.data(), requests.size());
    for (ssize_t i = 0; i < count; ++i) {
        const char request = requests[static_cast<std::size_t>(i)];
        if (request == kUnplugByte && Plugged()) {
            Unplug();
            if (onPlugChange_) {
                onPlugChange_({});
            }
        } else if (request == kReplugByte && !Plugged()) {
            std::optional<PseudoTerminal> terminal = PseudoTerminal::Open(error);
            if (!terminal) {
                return false;
            }
            terminal_ = std::move(*terminal);
            if (onPlugChange_) {
                onPlugChange_(terminal_.SlavePath());
            }
        }
    }
    return true;
}

RunnerStats PtyRunner::Stats() const {
    return {bytesRead_.load(), bytesWritten_.load(), pacedBytes_.load()};
}

std::optional<LinePacer::Clock::duration> PtyRunner::NextWake(LinePacer::Clock::time_point now,
                                                              bool outputWatched) const {
    std::optional<LinePacer::Clock::duration> wake;
    if (!incoming_.empty()) {
        wake = inputPacer_.WaitBeforeBatch(now, incoming_.size());
    }
    if (!held_.empty()) {
        const auto wait = std::max(heldUntil_ - now, LinePacer::Clock::duration::zero());
        wake = wake ? std::min(*wake, wait) : wait;
    }
    // Output the line may carry now is woken for by the pseudo-terminal itself.
    if (!pending_.empty() && !outputWatched) {
        const auto wait = pacer_.WaitBeforeBatch(now, pending_.size());
        wake = wake ? std::min(*wake, wait) : wait;
    }
    return wake;
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
    if (incoming_.empty()) {
        inputPacer_.Start(LinePacer::Clock::now());
    }
    incoming_.append(buffer.data(), static_cast<std::size_t>(count));
    return true;
}

void PtyRunner::DeliverArrived(LinePacer::Clock::time_point now) {
    const std::size_t count = std::min(incoming_.size(), inputPacer_.Allowance(now));
    if (count == 0) {
        return;
    }
    inputPacer_.Sent(count);
    const InterpreterOutput output =
        interpreter_.Feed(std::string_view(incoming_).substr(0, count));
    incoming_.erase(0, count);
    QueueOutput(output, now);
}

void PtyRunner::QueueOutput(const InterpreterOutput& output, LinePacer::Clock::time_point now) {
    // Unplugged, announcements go nowhere; the messages stay in the stores.
    if (!output.bytes.empty() && Plugged()) {
        if (output.cutAt && !cutAt_) {
            cutAt_ = queuedTotal_ + *output.cutAt;
        }
        queuedTotal_ += output.bytes.size();
        const std::string_view bytes = output.bytes;
        if (output.hold && held_.empty()) {
            Queue(bytes.substr(0, output.hold->from), now);
            held_ = bytes.substr(output.hold->from);
            heldUntil_ = now + std::chrono::milliseconds(output.hold->ms);
        } else {
            Queue(bytes, now);
        }
    } else if (output.cutAt && !cutAt_) {
        cutAt_ = queuedTotal_;
    }
    if (observer_ != nullptr) {
        observer_->OnOutput(output, interpreter_.Stores());
    }
}

void PtyRunner::TakeArrivals(bool incomingReadable, LinePacer::Clock::time_point now) {
    if (incomingReadable) {
        for (const std::string& line : incomingLines_.ReadLines()) {
            QueueOutput(interpreter_.Arrive(line), now);
        }
    }
    if (interpreter_.ReportsPending()) {
        const InterpreterOutput output = interpreter_.Tick();
        if (output.storesChanged || !output.bytes.empty() || !output.notes.empty()) {
            QueueOutput(output, now);
        }
    }
}

void PtyRunner::Queue(std::string_view bytes, LinePacer::Clock::time_point now) {
    if (!held_.empty()) {
        held_ += bytes;
        return;
    }
    if (bytes.empty()) {
        return;
    }
    if (pending_.empty()) {
        pacer_.Start(now);
    }
    pending_ += bytes;
}

void PtyRunner::ReleaseHeld(LinePacer::Clock::time_point now) {
    if (held_.empty() || now < heldUntil_) {
        return;
    }
    const std::string released = std::exchange(held_, {});
    Queue(released, now);
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
    if (stopRead_ < 0 || plugRead_ < 0) {
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
        const bool mayWrite = !pending_.empty() && pacer_.WaitBeforeBatch(now, pending_.size()) ==
                                                       LinePacer::Clock::duration::zero();
        const bool mayRead = pending_.size() < kMaxPending && incoming_.size() < kMaxPending;
        // Unplugged, the master is -1, which poll() passes over.
        std::array<pollfd, 4> watched{{
            {terminal_.Master(),
             static_cast<short>((mayRead ? POLLIN : 0) | (mayWrite ? POLLOUT : 0)), 0},
            {stopRead_, POLLIN, 0},
            {incomingLines_.Descriptor(), static_cast<short>(mayRead ? POLLIN : 0), 0},
            {plugRead_, POLLIN, 0},
        }};
        std::optional<LinePacer::Clock::duration> wake = NextWake(now, mayWrite);
        if (interpreter_.ReportsPending()) {
            wake = wake ? std::min<LinePacer::Clock::duration>(*wake, kReportCheck) : kReportCheck;
        }
        // A microsecond late, so that due times rounded to whole nanoseconds
        // never wake the loop just before the byte may go and make it spin.
        timespec timeout{};
        if (wake) {
            const auto nanoseconds =
                std::chrono::duration_cast<std::chrono::nanoseconds>(*wake + kWakeMargin).count();
            timeout.tv_sec = static_cast<time_t>(nanoseconds / 1'000'000'000);
            timeout.tv_nsec = static_cast<long>(nanoseconds % 1'000'000'000);
        }
        const int ready = ppoll(watched.data(), watched.size(), wake ? &timeout : nullptr, nullptr);
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
        // A replug may have been given the number of the descriptor polled.
        const bool plugChanged = (watched[3].revents & POLLIN) != 0;
        if (plugChanged && !TakePlugRequests(error)) {
            return {StopReason::Failed, error};
        }
        const short events = plugChanged ? 0 : watched[0].revents;
        if ((events & POLLIN) != 0 && !ReadClient(error)) {
            terminal_.Close();
            return {StopReason::Failed, error};
        }
        if ((events & POLLNVAL) != 0) {
            return {StopReason::Failed, "the pseudo-terminal was closed"};
        }
        ReleaseHeld(LinePacer::Clock::now());
        DeliverArrived(LinePacer::Clock::now());
        TakeArrivals((watched[2].revents & POLLIN) != 0, LinePacer::Clock::now());
        if (!pending_.empty() && !WritePending(LinePacer::Clock::now(), error)) {
            terminal_.Close();
            return {StopReason::Failed, error};
        }
    }
}

}  // namespace mivex::phonesim
