#pragma once

// The event loop that puts an interpreter on a pseudo-terminal: it reads what
// the client writes, feeds the interpreter, and writes the answers back paced
// at the chosen baud rate, until it is asked to stop or a cut fault closes the
// line.

#include <atomic>
#include <cstdint>
#include <string>

#include "phonesim/at_interpreter.h"
#include "phonesim/line_pacer.h"
#include "phonesim/pseudo_terminal.h"

namespace mivex::phonesim {

struct RunnerStats {
    std::uint64_t bytesRead = 0;
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

    // Safe from any thread and from a signal handler: it only writes to a pipe.
    void RequestStop() const;

    [[nodiscard]] RunnerStats Stats() const;

private:
    // Writes what the pacer allows, up to a pending cut. True when the cut point was reached.
    [[nodiscard]] bool WritePending(LinePacer::Clock::time_point now, std::string& error);
    [[nodiscard]] bool ReadClient(std::string& error);
    [[nodiscard]] int PollTimeoutMilliseconds(LinePacer::Clock::time_point now) const;

    PseudoTerminal terminal_;
    Interpreter interpreter_;
    LinePacer pacer_;
    PhoneObserver* observer_;
    std::string devicePath_;
    int stopRead_ = -1;
    int stopWrite_ = -1;

    std::string pending_;                 // answers not yet written
    std::uint64_t queuedTotal_ = 0;       // bytes ever queued
    std::uint64_t writtenTotal_ = 0;      // bytes ever written
    std::optional<std::uint64_t> cutAt_;  // in queued-byte positions

    std::atomic<std::uint64_t> bytesRead_{0};
    std::atomic<std::uint64_t> bytesWritten_{0};
    std::atomic<std::uint64_t> pacedBytes_{0};
};

}  // namespace mivex::phonesim
