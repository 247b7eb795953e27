#pragma once

// The event loop that puts an interpreter on a pseudo-terminal: it reads what
// the client writes, feeds the interpreter, and writes the answers back, until
// it is asked to stop or a cut fault closes the line.
//
// At a chosen baud rate both directions are paced as on a serial line, each
// on its own (the line is full duplex): an answer byte goes out only when the
// line has had time to carry the ones before it, and a byte the client wrote
// reaches the interpreter only when its line time has passed. A pseudo-terminal
// hands the client's bytes over at once; without input pacing a long command
// or PDU would cost the client no line time at all.

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "phonesim/at_interpreter.h"
#include "phonesim/incoming_lines.h"
#include "phonesim/line_pacer.h"
#include "phonesim/pseudo_terminal.h"

namespace mivex::phonesim {

struct RunnerStats {
    std::uint64_t bytesRead = 0;  // taken from the client, delivered or still on the line
    std::uint64_t bytesWritten = 0;
    std::uint64_t pacedBytes = 0;  // written under pacing at the baud rate
};

enum class StopReason {
    Stopped,  // RequestStop was called
    LineCut,  // a cut fault closed the line
    Failed,   // the pseudo-terminal failed; see the error
};

struct RunResult {
    StopReason reason = StopReason::Stopped;
    std::string error;
};

// Told about every batch of answers, on the runner's thread.
class PhoneObserver {
public:
    virtual ~PhoneObserver() = default;
    virtual void OnOutput(const InterpreterOutput& output, const PhoneStores& stores) = 0;
};

class PtyRunner {
public:
    // `observer` may be null and must outlive the runner.
    PtyRunner(PseudoTerminal terminal, Interpreter interpreter, int baudRate,
              PhoneObserver* observer);
    ~PtyRunner();
    PtyRunner(const PtyRunner&) = delete;
    PtyRunner& operator=(const PtyRunner&) = delete;

    [[nodiscard]] const std::string& DevicePath() const { return devicePath_; }

    // Runs until stopped or cut; the pseudo-terminal is closed on return.
    [[nodiscard]] RunResult Run();

    // Messages from the network come in through `lines` while the runner runs.
    void WatchIncoming(IncomingLines lines) { incomingLines_ = std::move(lines); }

    // Safe from any thread and from a signal handler: it only writes to a pipe.
    void RequestStop() const;

    // The cable pulled and put back, safe as RequestStop is. Unplugged, the
    // pseudo-terminal is closed (a client sees its device vanish) while the
    // phone goes on taking messages from the network; plugged back, it is on
    // a fresh pseudo-terminal. Either way `onPlugChange` is told on the
    // runner's thread, before any client can have the new device (to point
    // a link at it): the new device, or empty when unplugged.
    void RequestUnplug() const;
    void RequestReplug() const;
    void OnPlugChange(std::function<void(const std::string& device)> onPlugChange) {
        onPlugChange_ = std::move(onPlugChange);
    }

    [[nodiscard]] RunnerStats Stats() const;

private:
    // Writes what the pacer allows, up to a pending cut. True when the cut point was reached.
    [[nodiscard]] bool WritePending(LinePacer::Clock::time_point now, std::string& error);
    [[nodiscard]] bool ReadClient(std::string& error);
    // Hands the interpreter the client's bytes whose line time has passed.
    void DeliverArrived(LinePacer::Clock::time_point now);
    // Queues what the interpreter said and tells the observer.
    void QueueOutput(const InterpreterOutput& output, LinePacer::Clock::time_point now);
    // Takes in what arrived from the network and the reports that fell due.
    void TakeArrivals(bool incomingReadable, LinePacer::Clock::time_point now);
    // Queues an answer, behind a late one that is still held back.
    void Queue(std::string_view bytes, LinePacer::Clock::time_point now);
    // Lets a late answer go once its time has come.
    void ReleaseHeld(LinePacer::Clock::time_point now);
    // Until the next byte in either direction is due; nothing when no byte
    // waits. Output already due is left out when `outputWatched`: the
    // pseudo-terminal turning writable wakes the loop for it.
    [[nodiscard]] std::optional<LinePacer::Clock::duration> NextWake(
        LinePacer::Clock::time_point now, bool outputWatched) const;
    // Carries out what the plug pipe asks. False with `error` set when no
    // pseudo-terminal could be had for the replug.
    [[nodiscard]] bool TakePlugRequests(std::string& error);
    void Unplug();
    [[nodiscard]] bool Plugged() const { return terminal_.Master() >= 0; }

    PseudoTerminal terminal_;
    Interpreter interpreter_;
    LinePacer pacer_;       // answers to the client
    LinePacer inputPacer_;  // the client's bytes to the interpreter
    PhoneObserver* observer_;
    IncomingLines incomingLines_;
    std::string devicePath_;
    int stopRead_ = -1;
    int stopWrite_ = -1;
    int plugRead_ = -1;
    int plugWrite_ = -1;
    std::function<void(const std::string&)> onPlugChange_;

    std::string incoming_;  // client bytes still on the line
    std::string pending_;   // answers not yet written
    std::string held_;      // a late answer and what came after it
    LinePacer::Clock::time_point heldUntil_{};
    std::uint64_t queuedTotal_ = 0;       // bytes ever queued
    std::uint64_t writtenTotal_ = 0;      // bytes ever written
    std::optional<std::uint64_t> cutAt_;  // in queued-byte positions

    std::atomic<std::uint64_t> bytesRead_{0};
    std::atomic<std::uint64_t> bytesWritten_{0};
    std::atomic<std::uint64_t> pacedBytes_{0};
};

}  // namespace mivex::phonesim
