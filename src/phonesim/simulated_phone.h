#pragma once

// A simulated phone running on a thread of the calling process, for tests of
// serial code: start it, open DevicePath() as the client, stop it, then look
// at what was submitted and what the stores hold.

#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "phonesim/at_interpreter.h"
#include "phonesim/pty_runner.h"

namespace mivex::phonesim {

struct PhoneSetup {
    PhoneStores stores;
    PhoneSettings settings;
    FaultPlan faults;
    int baudRate = 0;  // 0: as fast as possible
    LocalClock clock = SystemLocalTime;
    // A FIFO whose lines arrive as messages from the network; empty: none.
    std::string incomingFifo;
    // Called on the phone's thread with every batch of answers before any
    // byte of it goes out: a test can stop its client at an exact point, the
    // command carried out and its answer not yet seen.
    std::function<void(const InterpreterOutput&)> onAnswer;
    // A symbolic link that names the device whatever pseudo-terminal it is
    // on, so a client finds it again after a replug; empty: none.
    std::string deviceLink;
};

class SimulatedPhone {
public:
    explicit SimulatedPhone(PhoneSetup setup);
    ~SimulatedPhone();
    SimulatedPhone(const SimulatedPhone&) = delete;
    SimulatedPhone& operator=(const SimulatedPhone&) = delete;

    // Opens a fresh pseudo-terminal and starts answering on it. False, with
    // `error` set, when no pseudo-terminal could be had or it already ran.
    [[nodiscard]] bool Start(std::string& error);

    // The device a client opens, e.g. /dev/pts/7, or the device link when
    // there is one; empty before Start.
    [[nodiscard]] const std::string& DevicePath() const { return devicePath_; }

    // The cable pulled: the device (and its link) vanish while messages
    // from the network are still taken in. Replug puts it back on a fresh
    // pseudo-terminal the link points at. Both only ask; the phone's thread
    // carries them out.
    void Unplug();
    void Replug();

    // Stops the thread and closes the device; harmless when not running.
    void Stop();

    // How the run ended, once it has (after Stop, or after a cut).
    [[nodiscard]] std::optional<RunResult> Result() const;

    [[nodiscard]] std::vector<SubmittedPdu> Submitted() const;
    [[nodiscard]] PhoneStores Stores() const;
    [[nodiscard]] std::vector<std::string> Notes() const;
    [[nodiscard]] RunnerStats Stats() const;

private:
    class Recorder;

    PhoneSetup setup_;
    std::string devicePath_;
    std::unique_ptr<Recorder> recorder_;
    std::unique_ptr<PtyRunner> runner_;
    std::thread thread_;
    mutable std::mutex mutex_;
    std::optional<RunResult> result_;
};

}  // namespace mivex::phonesim
