#include "phonesim/simulated_phone.h"

#include <unistd.h>

#include <utility>

#include "phonesim/device_link.h"

namespace mivex::phonesim {

// Copies what the runner reports into state the test thread may read.
class SimulatedPhone::Recorder : public PhoneObserver {
public:
    Recorder(PhoneStores stores, std::function<void(const InterpreterOutput&)> onAnswer)
        : stores_(std::move(stores)), onAnswer_(std::move(onAnswer)) {}

    void OnOutput(const InterpreterOutput& output, const PhoneStores& stores) override {
        {
            const std::lock_guard lock(mutex_);
            submitted_.insert(submitted_.end(), output.submitted.begin(), output.submitted.end());
            notes_.insert(notes_.end(), output.notes.begin(), output.notes.end());
            if (output.storesChanged) {
                stores_ = stores;
            }
        }
        if (onAnswer_) {
            onAnswer_(output);
        }
    }

    std::vector<SubmittedPdu> Submitted() const {
        const std::lock_guard lock(mutex_);
        return submitted_;
    }
    PhoneStores Stores() const {
        const std::lock_guard lock(mutex_);
        return stores_;
    }
    std::vector<std::string> Notes() const {
        const std::lock_guard lock(mutex_);
        return notes_;
    }

private:
    mutable std::mutex mutex_;
    std::vector<SubmittedPdu> submitted_;
    std::vector<std::string> notes_;
    PhoneStores stores_;
    std::function<void(const InterpreterOutput&)> onAnswer_;
};

SimulatedPhone::SimulatedPhone(PhoneSetup setup) : setup_(std::move(setup)) {}

SimulatedPhone::~SimulatedPhone() {
    Stop();
}

bool SimulatedPhone::Start(std::string& error) {
    if (runner_) {
        error = "the simulated phone was already started";
        return false;
    }
    std::optional<PseudoTerminal> terminal = PseudoTerminal::Open(error);
    if (!terminal) {
        return false;
    }
    IncomingLines incoming;
    if (!setup_.incomingFifo.empty() && !incoming.Open(setup_.incomingFifo, error)) {
        return false;
    }
    devicePath_ = terminal->SlavePath();
    if (!setup_.deviceLink.empty()) {
        if (!CreateDeviceLink(setup_.deviceLink, devicePath_, error)) {
            return false;
        }
        devicePath_ = setup_.deviceLink;
    }
    recorder_ = std::make_unique<Recorder>(setup_.stores, setup_.onAnswer);
    Interpreter interpreter(setup_.stores, setup_.settings, setup_.faults, setup_.clock);
    runner_ = std::make_unique<PtyRunner>(std::move(*terminal), std::move(interpreter),
                                          setup_.baudRate, recorder_.get());
    runner_->WatchIncoming(std::move(incoming));
    runner_->OnPlugChange([link = setup_.deviceLink](const std::string& device) {
        std::string ignored;
        if (link.empty()) {
            return;
        }
        if (device.empty()) {
            unlink(link.c_str());
        } else {
            (void)CreateDeviceLink(link, device, ignored);
        }
    });
    thread_ = std::thread([this] {
        RunResult result = runner_->Run();
        const std::lock_guard lock(mutex_);
        result_ = std::move(result);
    });
    return true;
}

void SimulatedPhone::Stop() {
    if (runner_ && thread_.joinable()) {
        runner_->RequestStop();
        thread_.join();
        if (!setup_.deviceLink.empty()) {
            unlink(setup_.deviceLink.c_str());
        }
    }
}

void SimulatedPhone::Unplug() {
    if (runner_) {
        runner_->RequestUnplug();
    }
}

void SimulatedPhone::Replug() {
    if (runner_) {
        runner_->RequestReplug();
    }
}

std::optional<RunResult> SimulatedPhone::Result() const {
    const std::lock_guard lock(mutex_);
    return result_;
}

std::vector<SubmittedPdu> SimulatedPhone::Submitted() const {
    return recorder_ ? recorder_->Submitted() : std::vector<SubmittedPdu>{};
}

PhoneStores SimulatedPhone::Stores() const {
    return recorder_ ? recorder_->Stores() : setup_.stores;
}

std::vector<std::string> SimulatedPhone::Notes() const {
    return recorder_ ? recorder_->Notes() : std::vector<std::string>{};
}

RunnerStats SimulatedPhone::Stats() const {
    return runner_ ? runner_->Stats() : RunnerStats{};
}

}  // namespace mivex::phonesim
